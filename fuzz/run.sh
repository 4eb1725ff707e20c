#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each one in turn for a set time. Exits non-zero when a target finds a crash, a broken
# invariant, a leak, a timeout or memory out of proportion to its input.
#
#   FUZZ_TIME=<seconds per target>   default 60
#   FUZZ_SEEDS=<folder>              its files are extra seeds for every target
#   FUZZ_TARGETS="load_scb ..."      a subset of the targets (default: all)
#   FUZZ_BUILD=<build dir>           default build-fuzz beside the sources
#
# Each target keeps its corpus in $FUZZ_BUILD/corpus/<target> between runs, starting from
# fuzz/seeds/<target> and tests/regression/inputs/<target>. What a target finds is written to
# $FUZZ_BUILD/artifacts/<target>/; minimise it with `<fuzzer> -minimize_crash=1 -runs=10000
# <file>` and keep it under tests/regression/inputs/<target>/.
set -u

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FUZZ_BUILD:-$ROOT/build-fuzz}
TIME=${FUZZ_TIME:-60}
SEEDS=${FUZZ_SEEDS:-}
TARGETS=${FUZZ_TARGETS:-"load_scb load_from_scb load_stl load_trg multi_load_scb host_import operations load_binary_stl load_obj load_ply import_stl import_obj_ply"}

if [ -n "$SEEDS" ] && [ ! -d "$SEEDS" ]; then
    echo "FUZZ_SEEDS=$SEEDS is not a folder" >&2
    exit 2
fi

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
    generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" "${generator[@]}" >/dev/null || exit 2
fi
build_targets=()
for target in $TARGETS; do
    build_targets+=(--target "fuzz_$target")
done
cmake --build "$BUILD" -j "${FUZZ_JOBS:-2}" "${build_targets[@]}" || exit 2

dictionary() {
    case "$1" in
    load_scb | load_from_scb | multi_load_scb) echo "-dict=$ROOT/fuzz/dict/scb.dict" ;;
    load_stl) echo "-dict=$ROOT/fuzz/dict/stl.dict" ;;
    load_trg) echo "-dict=$ROOT/fuzz/dict/trg.dict" ;;
    esac
}

failed=()
summary=()
mkdir -p "$BUILD/logs"
for target in $TARGETS; do
    corpus="$BUILD/corpus/$target"
    artifacts="$BUILD/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    inputs=("$corpus")
    for dir in "$ROOT/fuzz/seeds/$target" "$ROOT/tests/regression/inputs/$target" $SEEDS; do
        [ -d "$dir" ] && inputs+=("$dir")
    done
    log="$BUILD/logs/$target.log"
    echo "== $target: ${TIME}s"
    # shellcheck disable=SC2046
    "$BUILD/fuzz_$target" -max_total_time="$TIME" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 $(dictionary "$target") \
        "${inputs[@]}" >"$log" 2>&1
    status=$?
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    cov=$(echo "$last" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
    summary+=("$(printf '%-16s runs %-10s cov %-6s %s' "$target" "${runs:-?}" "${cov:-?}" \
        "$([ $status -eq 0 ] && echo ok || echo FOUND)")")
    if [ $status -ne 0 ]; then
        failed+=("$target")
        grep -E '==mgfuzz==|ERROR: |SUMMARY: |runtime error' "$log" | head -n 5
        echo "   artifacts: $(ls "$artifacts" | tr '\n' ' ')"
        echo "   log: $log"
    fi
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}"
    exit 1
fi
