#!/bin/sh
# Writes the result files of the demo and of fixed runs of the real spectra with the
# build in BUILD_DIR into OUT_DIR (the paths of OUT_DIR and of the source tree in
# them written as OUT and SRC); with a third argument REFERENCE_DIR (an earlier
# OUT_DIR), compares every file byte for byte (cmp) and lists those that differ.
# Usage: bench/results/compare_results.sh BUILD_DIR OUT_DIR [REFERENCE_DIR]
set -eu
build=$1
out=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"
"$build/src/app/sorvanecli" demo --out "$out/demo" > "$out/demo.log" 2>&1 || true
"$build/bench/result_snapshot" "$here/tests/data/realdata/chn" "$here/demo" "$out/real" \
    > "$out/real.log" 2>&1
# The receipt and the run log hold the time of the run.
find "$out" \( -name 'sorvane.inf.read' -o -name 'sorvane-run.log' -o -name '*.log' \) \
    -exec rm -f {} +
# Paths name the output folder and, for the line library, the source tree: they are
# written as OUT and SRC, so that any two folders and trees compare.
grep -rl -e "$here" -e "$out" "$out" | while read -r file; do
    sed -i -e "s|$out|OUT|g" -e "s|$here|SRC|g" "$file"
done
echo "$(find "$out" -type f \( -name '*.res' -o -name '*.svg' -o -name '*.csv' -o -name '*.html' \) | wc -l) result files in $out"
[ $# -ge 3 ] || exit 0
reference=$3
differ=0
files=0
for file in $(cd "$reference" && find . -type f \( -name '*.res' -o -name '*.svg' -o -name '*.csv' -o -name '*.html' \) | sort); do
    files=$((files + 1))
    if ! cmp -s "$reference/$file" "$out/$file"; then
        echo "differs: $file"
        differ=$((differ + 1))
    fi
done
extra=$(cd "$out" && find . -type f \( -name '*.res' -o -name '*.svg' -o -name '*.csv' -o -name '*.html' \) | wc -l)
echo "$files files compared, $differ differ, $extra written now"
[ "$differ" -eq 0 ] && [ "$extra" -eq "$files" ]
