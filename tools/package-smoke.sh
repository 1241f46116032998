#!/usr/bin/env bash
# Installs the Debian package of a build folder on this machine, checks the
# installed programs as a user would start them, and removes the package again.
#   tools/package-smoke.sh [BUILD_DIR]     (as root, or with sudo)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-pkg}
deb=$(ls -t "$build"/sorvane_*.deb 2> /dev/null | head -1)
[ -n "$deb" ] || { echo "package-smoke: no sorvane_*.deb in $build; run make package"; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

echo "== installing $deb"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "./$deb" > "$build/smoke-install.log" 2>&1 \
    || { tail -20 "$build/smoke-install.log"; exit 1; }
work=$(mktemp -d)
cleanup() {
    rm -rf "$work"
    $sudo dpkg -r sorvane > /dev/null
}
trap cleanup EXIT

check() {  # description, command...
    local what=$1
    shift
    if "$@" > "$work/out.txt" 2>&1; then
        echo "   ok   $what"
    else
        echo "FAILED  $what"
        tail -20 "$work/out.txt"
        exit 1
    fi
}

check "files in place" test -x /usr/bin/sorvanecli -a -x /usr/bin/run_Tovalu.exe \
    -a -f /usr/share/sorvane/demo/demo.list -a -f /usr/share/applications/sorvane.desktop \
    -a -f /usr/share/icons/hicolor/scalable/apps/sorvane.svg
check "result file type installed" grep -q "application/x-sorvane-result" \
    /usr/share/mime/packages/sorvane-result.xml
check "desktop entry opens results" grep -q "^MimeType=application/x-sorvane-result;" \
    /usr/share/applications/sorvane.desktop
if command -v desktop-file-validate > /dev/null; then
    check "desktop entry valid" desktop-file-validate /usr/share/applications/sorvane.desktop
fi
if dpkg -L sorvane | grep -qx /usr/bin/sorvane; then
    check "window program finds its libraries" sh -c '! ldd /usr/bin/sorvane | grep "not found"'
fi
check "run_Tovalu.exe --version" sh -c 'run_Tovalu.exe --version | grep -q "run_Tovalu.exe (Sorvane)"'

# The demo from any folder: samples from /usr/share/sorvane/demo, the runtime beside sorvanecli.
expected=$(grep -v '^#' /usr/share/sorvane/demo/demo.list | grep -c .)
(cd "$work" && sorvanecli demo --out "$work/demo" > "$work/demo.txt" 2>&1) \
    || { echo "FAILED  sorvanecli demo"; tail -30 "$work/demo.txt"; exit 1; }
results=$(grep -c '^\[peaks\]' "$work/demo.txt" || true)
if [ "$results" -eq "$expected" ] && ! grep -q 'no result' "$work/demo.txt"; then
    echo "   ok   sorvanecli demo: $results of $expected spectra analysed"
else
    echo "FAILED  sorvanecli demo: $results of $expected spectra analysed"
    tail -30 "$work/demo.txt"
    exit 1
fi

# A new user's first "GO": an empty config home, no control file; the runtime
# beside sorvanecli is found, the settings folder made, the result written.
check "sorvanecli go from an empty config home" sh -c "cd '$work' && XDG_CONFIG_HOME='$work/fresh-config' sorvanecli go --type simple --out '$work/go' /usr/share/sorvane/demo/simple_co60.asc && test -f '$work/fresh-config/sorvane/sorvane.inf' && grep -q '^\[peaks\]' '$work/go/simple_co60.res'"

# Identification on, as the window's nuclide settings write it: the installed runtime
# finds its installed line library and names the demo's Eu-152.
mkdir -p "$work/nuclide-config/sorvane"
printf '[nuclides]\r\nidentify = 1\r\n' > "$work/nuclide-config/sorvane/sorvane.inf.nuclides"
check "the installed runtime identifies with its installed library" sh -c "cd '$work' && XDG_CONFIG_HOME='$work/nuclide-config' sorvanecli go --type iec --out '$work/nuclides' /usr/share/sorvane/demo/iec_eu152.iec > /dev/null && grep -q '^library = /usr/share/sorvane/nuclides/gamma_lines.csv (38 nuclides, 171 lines)' '$work/nuclides/iec_eu152.res' && grep -q '^Eu-152  *yes' '$work/nuclides/iec_eu152.res'"

check "sorvanecli convert" sh -c "sorvanecli convert --type simple --out '$work' /usr/share/sorvane/demo/simple_co60.asc | grep -q 'converted 1 of 1 file'"
check "sorvanecli show" sh -c "sorvanecli show '$work/simple_co60.chn' | grep -q 'counts:'"
printf 'garbage' > "$work/bad.asc"
check "a bad input is refused, naming the file" \
    sh -c "! sorvanecli convert --type simple --out '$work' '$work/bad.asc' 2> '$work/err.txt' && grep -q bad.asc '$work/err.txt'"
echo "== the installed package works"
