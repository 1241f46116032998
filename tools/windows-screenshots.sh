#!/usr/bin/env bash
# Pictures of the Windows window's three tabs under Wine and Xvfb, the demo folder
# open, into docs/windows/ beside the Qt window's in docs/:
#   tools/windows-screenshots.sh [BUILD_DIR]
# The cross build comes first (tools/run-windows-tests.sh or make test-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win}
wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" > /dev/null; then wine=$(command -v "$candidate"); break; fi
done
[ -n "$wine" ] || { echo "windows-screenshots: no wine64 found"; exit 1; }
cmake --build "$build" --target win32_screenshots

export WINEDEBUG=-all
export WINEPREFIX="$PWD/$build/wineprefix"
export WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
shots="$PWD/$build/screenshots"
rm -rf "$shots"
mkdir -p "$shots" docs/windows
folder=$("$wine" winepath -w "$shots" 2> /dev/null | tr -d '\r')
# Wine started without a display (winepath too) must end before the one with Xvfb.
"$WINESERVER" -w || true
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '"$@"; status=$?; "$WINESERVER" -w; exit $status' \
    screenshots "$wine" "$build/tests/win32/win32_screenshots.exe" "$folder"
for picture in "$shots"/*.bmp; do
    name=$(basename "$picture" .bmp)
    python3 tools/bmp_to_png.py "$picture" "docs/windows/$name.png"
    echo "docs/windows/$name.png"
done
