#!/usr/bin/env bash
# Builds Pelorin with its tests under AddressSanitizer and UndefinedBehaviorSanitizer, warnings as
# errors, and runs the whole suite; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh --test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELORIN_WERROR=ON -DPELORIN_SANITIZE=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"
