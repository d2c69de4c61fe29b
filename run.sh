#!/usr/bin/env bash
# Builds a release build of Pelorin and starts it. Without a display it starts Pelorin on a virtual
# display, leaves a picture of the main window, and walks through a whole draw in a demo folder.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELORIN_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --target pelorin
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./build-release/pelorin "$@"
fi
echo "No display found: starting Pelorin on a virtual display."
xvfb-run -a -s "-screen 0 1280x1024x24" ./build-release/pelorin --screenshot pelorin.png >/dev/null
echo "Picture of the main window: $(pwd)/pelorin.png"
demo="$(pwd)/pelorin-demo"
xvfb-run -a -s "-screen 0 1280x1024x24" ./build-release/pelorin --demo "$demo"
echo "The demo's pictures and workbooks are in: $demo"
