#!/bin/sh
# Generates COUNT synthetic nuclide spectra (default 300; a tenth of them blanks, a
# tenth each doublets, absent low lines, line conflicts and uncalibrated files) and a
# late batch of COUNT/5 mixtures whose reference time is 100 days before the count,
# and prints the two tables. Run from the repository with the build in ./build.
set -e
count=${1:-300}
seed=${2:-17}
build=${BUILD:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/main" "$work/late"
"$build/bench/nuclides/synth_nuclides" data/nuclides "$count" "$seed" "$work/main"
"$build/bench/nuclides/synth_nuclides" data/nuclides $((count / 5)) $((seed + 1)) "$work/late" 100
echo "Main batch ($count spectra)"
"$build/bench/nuclides/score_nuclides" "$work/main" data/nuclides
echo
echo "Late batch ($((count / 5)) spectra, reference time 100 days before the count)"
"$build/bench/nuclides/score_nuclides" "$work/late" data/nuclides
