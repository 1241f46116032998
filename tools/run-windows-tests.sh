#!/usr/bin/env bash
# Cross-builds everything that does not need Qt for 64-bit Windows (mingw-w64)
# and runs its tests under Wine, then the demo with the Windows programs.
#   tools/run-windows-tests.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win}
wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" > /dev/null; then wine=$(command -v "$candidate"); break; fi
done
[ -n "$wine" ] || { echo "run-windows-tests: no wine64 found (Debian packages wine, wine64)"; exit 1; }

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_BUILD_BENCH=OFF > "$build.configure.log" \
    || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)"

export WINEDEBUG=-all
export WINEPREFIX="$PWD/$build/wineprefix"
if [ ! -d "$WINEPREFIX" ]; then
    echo "== creating the Wine prefix $WINEPREFIX (once)"
    "$wine" cmd /c exit > /dev/null 2>&1 || true
fi
win_path() { "$wine" winepath -w "$1" 2> /dev/null | tr -d '\r'; }
# The window's tests need a display: a private Xvfb for each, kept until Wine has
# ended (wineserver -w), so no Wine or X process outlives the test.
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
with_display() {
    "$wineserver" -w || true
    xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '"$@"; status=$?; "$WINESERVER" -w; exit $status' \
        with_display "$@"
}
export WINESERVER="$wineserver"

failed=0
total=0
mapfile -t programs < <(find "$build/tests" -name '*_tests.exe' | sort)
for program in "${programs[@]}"; do
    name=$(basename "$program" .exe)
    log="$build/$name.wine.log"
    runner=()
    [[ $name == win32_window_tests ]] && runner=(with_display)
    ran=0
    "${runner[@]}" "$wine" "$program" --gtest_brief=1 > "$log" 2>&1 || ran=$?
    # A client that meets the wineserver as it shuts down dies before any test runs
    # ("wine client error"): that is Wine's fault, not the program's, so once more.
    if [ $ran -ne 0 ] && grep -q "wine client error" "$log" && ! grep -qE "^\[ +(PASSED|FAILED) +\]" "$log"; then
        echo "   (Wine's server went away under $name: run again)"
        "$wineserver" -w || true
        ran=0
        "${runner[@]}" "$wine" "$program" --gtest_brief=1 > "$log" 2>&1 || ran=$?
    fi
    if [ $ran -eq 0 ]; then
        count=$(grep -oE 'PASSED +\] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1 || true)
        total=$((total + ${count:-0}))
        echo "   ok   $name: ${count:-?} tests"
    else
        echo "FAILED  $name (see $log)"
        tail -40 "$log"
        failed=1
    fi
done
echo "== $total tests passed under Wine in ${#programs[@]} programs"

# The Windows programs end to end: sorvanecli.exe converts, starts run_Tovalu.exe, prints results.
out="$build/demo-run"
rm -rf "$out"
mkdir -p "$out"
"$wine" "$build/runtime/run_Tovalu.exe" --version | tr -d '\r'
if "$wine" "$build/src/app/sorvanecli.exe" demo --demo-dir "$(win_path demo)" --out "$(win_path "$out")" \
        --runtime-dir "$(win_path "$build/runtime")" > "$out.log" 2>&1 \
        && [ "$(ls "$out"/*.res | wc -l)" -ge 10 ]; then
    echo "   ok   sorvanecli.exe demo: $(ls "$out"/*.res | wc -l) result files"
else
    echo "FAILED  sorvanecli.exe demo (see $out.log)"
    tail -30 "$out.log"
    failed=1
fi
exit $failed
