#!/bin/sh
# Converts the real IEC samples 01, 03, 04 and 05 (the same Co-60 counts; 03 to 05 with
# an all-zero calibration line and a channel-energy table in their header), analyses
# them with identification on, the raw files named in the raw-source side file, and
# prints each result's calibration, recalibration residuals and Co-60 lines.
# Run from the repository with the build in ./build (REALDATA: the shared data folder):
# sh bench/nuclides/iec_samples.sh
set -e
build=${BUILD:-build}
data=${REALDATA:-$(pwd)/../shared/realdata}/iec
work=$(mktemp -d)
[ -n "$KEEP" ] && echo "$work" || trap 'rm -rf "$work"' EXIT
printf '[nuclides]\r\nidentify = 1\r\n' > "$work/sorvane.inf.nuclides"
: > "$work/sorvane.inf.sources"
for n in 01 03 04 05; do
    raw=$(cd "$data" && pwd)/hpge_dummy_test_$n.iec
    "$build/src/app/sorvanecli" convert --type iec --out "$work" "$raw" > /dev/null
    printf 'hpge_dummy_test_%s\t10\tiec\t%s\r\n' "$n" "$raw" >> "$work/sorvane.inf.sources"
done
"$build/bench/runtime/analyse_chn" "$work" "$work" hpge_dummy_test_01 hpge_dummy_test_03 hpge_dummy_test_04 \
    hpge_dummy_test_05 > /dev/null
for n in 01 03 04 05; do
    res="$work/hpge_dummy_test_$n.res"
    echo "== sample $n"
    tr -d '\r' < "$res" | grep -E '^(energy|energy_source) =' | head -2
    tr -d '\r' < "$res" | awk '/^\[nuclides\]/{p=1} /^\[nuclide lines\]/{p=0} p && $2 == "yes" {print $1, $2, $3, $4}'
    tr -d '\r' < "$res" | awk '/^\[nuclide lines\]/{p=1; next} /^\[/{p=0} p && $1 == "Co-60"'
    tr -d '\r' < "$res" | grep -E '^recalibrat' || true
done
