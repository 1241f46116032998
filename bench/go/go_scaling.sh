#!/usr/bin/env bash
# "sorvanecli go" of COUNT IEC files into an empty result folder, in the default
# (waiting) mode: wall, user and system time, and milliseconds per file. The raw files
# are the public IEC samples of tests/data/realdata/iec, copied round-robin under
# numbered names. Run it on a RAM disk to see the front end's own cost:
#   bench/go/go_scaling.sh BUILD_DIR COUNT [WORK_DIR]      (WORK_DIR default /dev/shm)
set -euo pipefail
build=$(realpath "$1")
count=$2
base=${3:-/dev/shm}
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "$base/sorvane-go-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/raw" "$work/res" "$work/sys"
samples=("$here"/tests/data/realdata/iec/*.iec)
for ((i = 0; i < count; i++)); do
    cp "${samples[i % ${#samples[@]}]}" "$(printf '%s/raw/s%05d.iec' "$work" "$i")"
done
/usr/bin/time -o "$work/time" -f "%e %U %S" \
    "$build/src/app/sorvanecli" go --system-dir "$work/sys" --type iec --out "$work/res" \
    "$work"/raw/*.iec > "$work/out" 2> "$work/err" || true
read -r wall user sys < "$work/time"
results=$(find "$work/res" -name '*.res' | wc -l)
left=$(find "$work/res" -name '*.chn' | wc -l)
per_file=$(awk -v w="$wall" -v n="$count" 'BEGIN { printf "%.2f", 1000 * w / n }')
echo "files $count: $wall s wall, $user s user, $sys s sys, $per_file ms per file;" \
     "$results results, $left CHN files left"
tail -n 2 "$work/out"
