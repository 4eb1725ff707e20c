#!/bin/sh
# The installed package consumed the ways a host consumes it. Installs the build tree BUILD into a
# prefix of its own (not the one it was configured with), checks that nothing empty is installed
# and that the pkg-config file names that prefix, compiles the sample host with the plain
# pkg-config compiler line, then has ctest build and run the example project (examples/: the
# sample host and the guide's examples) three ways: through find_package, through pkg-config and
# through add_subdirectory of the source tree. Last, the guide's code must be the examples' code.
#   tests/package/run.sh BUILD
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$build/package
prefix=$work/prefix
say() { echo "package test: $*"; }
fail() {
    echo "package test: FAILED: $*" >&2
    exit 1
}

rm -rf "$prefix"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

empty=$(find "$prefix" -type d -empty)
[ -z "$empty" ] || fail "empty folders installed: $empty"

pc=$(find "$prefix" -name mgmesh.pc)
[ -n "$pc" ] || fail "no mgmesh.pc under $prefix"
export PKG_CONFIG_PATH="$(dirname "$pc")"
named=$(pkg-config --variable=prefix mgmesh)
[ "$named" = "$prefix" ] || fail "mgmesh.pc names the prefix $named, not $prefix"
libdir=$(pkg-config --variable=libdir mgmesh)
# shellcheck disable=SC2046 # the flags are words
c++ -Wall -Wextra -Werror "$root/examples/host_example.cpp" $(pkg-config --cflags --libs mgmesh) \
    -o "$work/host_example_pkgconfig"
LD_LIBRARY_PATH=$libdir "$work/host_example_pkgconfig" >/dev/null ||
    fail "the host example built with pkg-config's flags did not run"
say "installed into its own prefix, nothing empty; pkg-config names it and its flags build a host"

for how in config pkg-config subdirectory; do
    if ! LD_LIBRARY_PATH=$libdir ctest --build-and-test "$root/examples" "$work/$how" \
        --build-generator Ninja --build-noclean \
        --build-options -DMGMESH_CONSUME=$how -DCMAKE_PREFIX_PATH="$prefix" \
        -DMGMESH_SOURCE_DIR="$root" \
        --test-command ctest --output-on-failure >"$work/$how.log" 2>&1; then
        cat "$work/$how.log" >&2
        fail "the examples through $how"
    fi
    say "the examples built through $how ran: $(grep "tests passed" "$work/$how.log")"
done

"$root/tests/package/check-snippets.sh" "$root/docs/guide.md" "$root/examples" ||
    fail "docs/guide.md and the examples differ"
say "the guide's code is the examples' code"
