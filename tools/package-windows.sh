#!/usr/bin/env bash
# The Windows package: a zip with the window, sorvanecli, the runtime, the nuclide
# library, the demo and a README; then checked by unpacking it and running the
# window's first-day test and the demo from the unpacked folder under Wine.
#   tools/package-windows.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win}
wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" > /dev/null; then wine=$(command -v "$candidate"); break; fi
done
[ -n "$wine" ] || { echo "package-windows: no wine64 found (Debian packages wine, wine64)"; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_BUILD_BENCH=OFF > "$build.configure.log" \
        || { cat "$build.configure.log"; exit 1; }
fi
cmake --build "$build" -j "$(nproc)" --target sorvane sorvanecli run_tovalu win32_window_tests

version=$(sed -n 's/^project(Sorvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="Sorvane-$version-windows"
stage="$build/package/$name"
rm -rf "$build/package"
mkdir -p "$stage"
cp "$build/src/ui/win32/sorvane.exe" "$build/src/app/sorvanecli.exe" \
    "$build/runtime/run_Tovalu.exe" "$stage/"
cp -r data/nuclides "$stage/nuclides"
cp -r demo "$stage/demo"
# Windows editors want CR LF.
sed 's/$/\r/' packaging/windows/README-Windows.txt > "$stage/README-Windows.txt"
x86_64-w64-mingw32-strip "$stage"/*.exe
zip="$PWD/$build/$name.zip"
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip "$name")
echo "== $zip: $(du -k "$zip" | cut -f1) KiB"
(cd "$build/package" && find "$name" -type f | sort | sed 's/^/   /')

# The check: unpacked elsewhere, run from there.
export WINEDEBUG=-all
export WINEPREFIX="$PWD/$build/wineprefix"
if [ ! -d "$WINEPREFIX" ]; then "$wine" cmd /c exit > /dev/null 2>&1 || true; fi
win_path() { "$wine" winepath -w "$1" 2> /dev/null | tr -d '\r'; }
check="$PWD/$build/package-check"
rm -rf "$check"
mkdir -p "$check"
(cd "$check" && cmake -E tar xf "$zip")
unpacked="$check/$name"
failed=0

out="$check/demo-results"
mkdir -p "$out"
if (cd "$unpacked" && "$wine" sorvanecli.exe demo --demo-dir demo --out "$(win_path "$out")") \
        > "$check/demo.log" 2>&1 && [ "$(ls "$out"/*.res 2> /dev/null | wc -l)" -ge 10 ]; then
    echo "   ok   unpacked sorvanecli.exe demo: $(ls "$out"/*.res | wc -l) result files"
else
    echo "FAILED  unpacked sorvanecli.exe demo (see $check/demo.log)"
    tail -30 "$check/demo.log"
    failed=1
fi

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
SORVANE_TEST_RUNTIME_DIR="$(win_path "$unpacked")\\"
SORVANE_TEST_DEMO_DIR="$(win_path "$unpacked/demo")"
export SORVANE_TEST_RUNTIME_DIR SORVANE_TEST_DEMO_DIR
# Wine started without a display (winepath too) must end before the one with Xvfb.
"$wineserver" -w || true
export WINESERVER="$wineserver"
if xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
        '"$@"; status=$?; "$WINESERVER" -w; exit $status' first_day \
        "$wine" "$build/tests/win32/win32_window_tests.exe" --gtest_brief=1 \
        --gtest_filter='Win32FirstDay.*' > "$check/first-day.log" 2>&1; then
    echo "   ok   the window's first day with the unpacked runtime and demo"
else
    echo "FAILED  the window's first day from the package (see $check/first-day.log)"
    tail -30 "$check/first-day.log"
    failed=1
fi
exit $failed
