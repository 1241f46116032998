#!/bin/sh
# Generates COUNT synthetic nuclide mixtures (default 300) and prints the
# identification table. Run from the repository with the build in ./build.
set -e
count=${1:-300}
seed=${2:-17}
build=${BUILD:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/nuclides/synth_nuclides" data/nuclides "$count" "$seed" "$work"
"$build/bench/nuclides/score_nuclides" "$work"
