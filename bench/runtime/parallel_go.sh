#!/usr/bin/env bash
# The runtime's batch of COUNT synthetic spectra (4096 channels, 20 lines each) analysed
# on one worker and on every core: wall and CPU time of each, and whether the two
# result folders hold the same bytes.
#   bench/runtime/parallel_go.sh BUILD_DIR [COUNT]
set -euo pipefail
build=$(realpath "$1")
count=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/chn" "$work/serial" "$work/parallel"
"$build/bench/runtime/synth_spectra" mixed "$count" 1 "$work/chn"
names=$(cd "$work/chn" && ls *.chn | sed 's/\.chn$//')
echo "machine: $(nproc) cores, $(uptime | sed 's/.*load/load/')"
for run in serial parallel; do
    workers=$([ "$run" = serial ] && echo 1 || echo "")
    # shellcheck disable=SC2086
    SORVANE_RUNTIME_WORKERS=$workers /usr/bin/time -o "$work/$run.time" \
        -f "$run: %e s wall, %U s user, %S s sys" \
        "$build/bench/runtime/analyse_chn" "$work/chn/" "$work/$run/" $names > "$work/$run.out"
    cat "$work/$run.time"
done
rm -f "$work"/serial/sorvane.inf.read "$work"/parallel/sorvane.inf.read
if diff -r "$work/serial" "$work/parallel" > /dev/null; then
    echo "results: the same bytes in all $count"
else
    echo "results: DIFFER"
    exit 1
fi
