#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
set -euo pipefail

#   tools/install-deps.sh            what `make run` and `make test` need
#   tools/install-deps.sh windows    also the mingw-w64 cross compiler and Wine
#   tools/install-deps.sh package    also what `make package` needs
# libxrl-dev: xraylib, the mass attenuation coefficients of the self-attenuation correction.
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev clang clang-format libclang-rt-14-dev qt6-base-dev qt6-svg-dev xvfb poppler-utils libxrl-dev)
apt_options=()
case "${1:-}" in
    # The posix thread model of mingw-w64 has std::mutex; Wine runs the tests.
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64); apt_options+=(--no-install-recommends) ;;
    package) packages+=(dpkg-dev file) ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${apt_options[@]}" "${missing[@]}"
