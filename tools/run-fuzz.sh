#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each one, seeded from the test fixtures and demo files of its format.
#   tools/run-fuzz.sh [--seconds N | --runs N] [TARGET...]
# FUZZ_BUILD names the build folder (default build-fuzz). Prints the executions and
# the coverage (libFuzzer's "cov", covered code edges) each target reached.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=10)
case "${1:-}" in
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    # A bounded number of runs, and never more than two minutes a target: a run of
    # the runtime analyses a whole spectrum.
    --runs) limit=(-runs="$2" -max_total_time=120); shift 2 ;;
esac

build=${FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSORVANE_FUZZ=ON -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCH=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON > /dev/null  # no target reaches the window
cmake --build "$build" -j "$(nproc)" > "$build.build.log" 2>&1 || { tail -40 "$build.build.log"; exit 1; }

# target -> files whose contents seed its corpus
seeds_of() {
    case "$1" in
        fuzz_read_simple) echo "demo/simple_*" ;;
        fuzz_read_rms) echo "tests/data/rms/* demo/rms_*" ;;
        fuzz_read_iec) echo "tests/data/iec/* tests/data/realdata/iec/* demo/iec_*" ;;
        fuzz_read_oxford_*) echo "tests/data/oxford/* demo/oxford_*" ;;
        fuzz_read_labo*) echo "demo/labo_*" ;;
        fuzz_read_canberra35) echo "tests/data/canberra35/* demo/canberra35_*" ;;
        fuzz_read_naig) echo "demo/naig_*" ;;
        fuzz_decode_chn) echo "tests/data/realdata/chn/*" ;;
        fuzz_result_file) echo "tests/data/results/*" ;;
        fuzz_line_library) echo "data/nuclides/gamma_lines.csv data/nuclides/nuclides.csv" ;;
        fuzz_control_file | fuzz_runtime_control) echo "tests/data/control/* tests/data/window/*.inf" ;;
        # A short spectrum (made below) keeps one run of the analysis quick.
        fuzz_runtime_chn) echo "$build/seed-short.chn" ;;
    esac
}

# The longest input a target is given: control files are small, spectra are not.
max_len_of() {
    case "$1" in
        fuzz_control_file | fuzz_runtime_control) echo 8192 ;;
        fuzz_runtime_chn) echo 5000 ;;
        *) echo 70000 ;;
    esac
}

# The first 512 channels of a demo spectrum as a CHN file, for the runtime's target.
head -512 demo/simple_co60.asc > "$build/seed-short.asc"
"$build/src/app/sorvanecli" convert --type simple "$build/seed-short.asc" > /dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    # The slow ones first (a run of the runtime analyses a spectrum), so that the
    # quick ones fill the other cores meanwhile.
    mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' |
        sort | awk '/^fuzz_runtime_chn$|^fuzz_result_file$/ { print 0, $0; next } { print 1, $0 }' |
        sort -s -k1,1n | cut -d' ' -f2)
fi

# One target: seeds its corpus, runs it and leaves its summary line (or the failure)
# in $build/$target.summary; returns non-zero when the target found a fault.
run_target() {
    local target=$1 corpus="$build/corpus/$1" seeded=0 log="$build/$1.log" started
    mkdir -p "$corpus"
    for seed in $(seeds_of "$target"); do
        [ -f "$seed" ] && cp "$seed" "$corpus/" && seeded=$((seeded + 1))
    done
    {
        # A target without seeds starts from nothing and finds little: say so.
        [ "$seeded" -gt 0 ] || echo "warning: no seed file for $target"
        started=$(date +%s)
        if ! "$build/fuzz/$target" "$corpus" "${limit[@]}" -max_len="$(max_len_of "$target")" \
                -print_final_stats=1 -artifact_prefix="$build/crash-$target-" > "$log" 2>&1; then
            echo "FAILED: $target; see $log"
            tail -30 "$log"
            return 1
        fi
        runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
        cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
        printf '%-28s %10s runs  %-22s %4ss\n' "$target" "${runs:-?}" "${cov:-cov: ?}" \
            "$(( $(date +%s) - started ))"
    } > "$build/$target.summary"
}

# Each target runs on one core: as many at once as there are cores.
failed=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$(nproc)" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
for target in "${targets[@]}"; do cat "$build/$target.summary"; done
exit $failed
