#!/usr/bin/env bash
# Runs every test program of a build under valgrind's memcheck; exits non-zero on any memory
# error or definite/indirect leak.
#
#   fuzz/memcheck.sh [build dir]   default: build, the plain (unsanitised) build of `make test`
#   MEMCHECK_GL=0                  skip the programs that draw through EGL and llvmpipe
#                                  (tests_render, tests_tools), which are the slowest under
#                                  valgrind (Mesa's JIT rasteriser runs in it too)
#   MEMCHECK_FILTER=<gtest filter> passed to every program (default: all tests)
set -u

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" 2>/dev/null && pwd) || {
    echo "no build directory ${1:-$ROOT/build}" >&2
    exit 2
}
GL_PROGRAMS="tests_render tests_tools"

if grep -qE '^MGMESH_SANITIZE:STRING=.+' "$BUILD/CMakeCache.txt" 2>/dev/null; then
    echo "$BUILD is a sanitizer build; valgrind needs a plain one" >&2
    exit 2
fi
command -v valgrind >/dev/null || {
    echo "valgrind is not installed" >&2
    exit 2
}

mapfile -t programs < <(find "$BUILD" -type f -perm -u+x -name 'tests_*' ! -name '*.so' | sort)
if [ ${#programs[@]} -eq 0 ]; then
    echo "no test programs under $BUILD; build them first" >&2
    exit 2
fi

mkdir -p "$BUILD/memcheck"
failed=()
for program in "${programs[@]}"; do
    name=$(basename "$program")
    if [ "${MEMCHECK_GL:-1}" = 0 ] && [[ " $GL_PROGRAMS " == *" $name "* ]]; then
        echo "-- $name: skipped (GL programs are skipped with MEMCHECK_GL=0)"
        continue
    fi
    log="$BUILD/memcheck/$name.log"
    start=$(date +%s)
    # the programs find their data through paths compiled in, so any working directory will do
    (cd "$(dirname "$program")" &&
        valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
            --show-leak-kinds=definite,indirect --num-callers=30 \
            --suppressions="$ROOT/fuzz/valgrind.supp" \
            "$program" --gtest_brief=1 ${MEMCHECK_FILTER:+--gtest_filter="$MEMCHECK_FILTER"}) \
        >"$log" 2>&1
    status=$?
    echo "-- $name: $([ $status -eq 0 ] && echo clean || echo "FAILED ($status)") in $(($(date +%s) - start))s"
    if [ $status -ne 0 ]; then
        failed+=("$name")
        grep -E '== (Invalid|Conditional|Use of|Mismatched|Syscall|Source and|Argument)|definitely lost|indirectly lost|FAILED' "$log" | head -n 8
        echo "   log: $log"
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "memcheck failed in: ${failed[*]}"
    exit 1
fi
echo "memcheck: all clean"
