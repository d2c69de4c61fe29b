#!/usr/bin/env bash
# Builds Pelorin with its tests and runs the whole suite; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh --test
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELORIN_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"
