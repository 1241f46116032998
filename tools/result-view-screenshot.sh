#!/bin/sh
# The result view of the demo's Eu-152 spectrum on its nuclides tab (identification,
# activity, primary result and decision side by side), drawn by the window's own
# widgets under Xvfb: builds what it needs, runs the demo into a folder under /tmp and
# writes the picture (default docs/result-view-decisions.png). Run from the
# repository; BUILD names the build folder (default build).
#   tools/result-view-screenshot.sh [OUTPUT.png]
set -e
build=${BUILD:-build}
out=${1:-docs/result-view-decisions.png}
command -v xvfb-run > /dev/null || { echo "xvfb-run is needed (Debian package xvfb)" >&2; exit 1; }
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
nice cmake --build "$build" -j2 --target programs result_view_screenshot
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/app/sorvanecli" demo --out "$work/demo" > "$work/demo.txt"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 2560x1200x24" \
    "$build/tests/qt/result_view_screenshot" "$work/demo/iec_eu152.res" "$out"
echo "written: $out"
