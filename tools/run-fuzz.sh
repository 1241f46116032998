#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one, seeded from the test
# fixtures and demo files of its format.
#   tools/run-fuzz.sh [--seconds N | --runs N] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

limit="-max_total_time=10"
case "${1:-}" in
    --seconds) limit="-max_total_time=$2"; shift 2 ;;
    --runs) limit="-runs=$2"; shift 2 ;;
esac

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSORVANE_FUZZ=ON -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null

# target -> folders (and file globs) whose files seed its corpus
seeds_of() {
    case "$1" in
        fuzz_read_simple) echo "demo/simple_*" ;;
        fuzz_read_rms) echo "tests/data/rms/* demo/rms_*" ;;
        fuzz_read_iec) echo "tests/data/iec/* tests/data/realdata/iec/* demo/iec_*" ;;
        fuzz_read_oxford_*) echo "tests/data/oxford/* demo/oxford_*" ;;
        fuzz_read_labo*) echo "tests/data/labo/* demo/labo_*" ;;
        fuzz_read_canberra35) echo "tests/data/canberra35/* demo/canberra35_*" ;;
        fuzz_read_naig) echo "tests/data/naig/* demo/naig_*" ;;
        fuzz_decode_chn) echo "tests/data/realdata/chn/*" ;;
    esac
}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' | sort)
fi

failed=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    for seed in $(seeds_of "$target"); do
        [ -f "$seed" ] && cp "$seed" "$corpus/"
    done
    echo "== $target ($limit)"
    if ! "$build/fuzz/$target" "$corpus" "$limit" -max_len=70000 -print_final_stats=0 \
            -artifact_prefix="$build/crash-$target-" 2> "$build/$target.log"; then
        echo "FAILED: $target; see $build/$target.log"
        tail -30 "$build/$target.log"
        failed=1
    else
        grep -E '^Done|#[0-9]+.*DONE' "$build/$target.log" | tail -1 || true
    fi
done
exit $failed
