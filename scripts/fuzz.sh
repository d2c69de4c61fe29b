#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs one: ./scripts/fuzz.sh fuzz_xlsx_reader [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test
DEBIAN_FRONTEND=noninteractive
dpkg-query -W clang libclang-rt-14-dev >/dev/null 2>&1 || { apt-get update -qq && apt-get install -y -qq clang libclang-rt-14-dev; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELORIN_BUILD_TESTS=OFF -DPELORIN_BUILD_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"
harness=${1:?name a harness, e.g. fuzz_xlsx_reader}
seconds=${2:-600}
kind=${harness#fuzz_}
kind=${kind%%_*}
corpus=build-fuzz/corpus-$harness
mkdir -p "$corpus"
seeds=fuzz/seeds/$kind
exec "./build-fuzz/fuzz/$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" "$seeds"
