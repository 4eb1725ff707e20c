#!/bin/sh
# Runs the benchmark program with the fastest general peer, admesh, timed beside the library
# on the same sphere files, so that the table of goals at the end shows the ratios against it.
#   bench/peers.sh path/to/mgmesh_bench [benchmark options...]
# admesh comes from Debian's packages and is installed when missing. It runs as a whole
# process ("admesh --exact FILE", its report dropped) on a file already in the page cache,
# each run timed beside a bare parse of the same file, as the library's own rows are.
set -eu

BENCH=${1:?usage: bench/peers.sh path/to/mgmesh_bench [benchmark options...]}
shift

if ! command -v admesh >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" = 0 ] || SUDO=sudo
    echo "installing admesh"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends admesh >/dev/null
fi

# the sphere files, written once into /tmp (or $MGMESH_BENCH_DIR)
"$BENCH" --write-spheres >/dev/null

exec "$BENCH" --peer="admesh --exact" "$@"
