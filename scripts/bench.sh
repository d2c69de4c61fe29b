#!/usr/bin/env bash
# Builds the benchmark programs in Release mode and runs them all (or those named: ./scripts/bench.sh bench_shuffle).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELORIN_BUILD_TESTS=OFF -DPELORIN_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    # Only the programs themselves: no folders, no data files beside them.
    mapfile -t programs < <(find build-bench/bench -maxdepth 1 -type f -executable -name 'bench_*' -printf '%f\n' | sort)
fi
for p in "${programs[@]}"; do
    [ -n "$p" ] || continue
    echo "== $p"
    "./build-bench/bench/$p"
done
