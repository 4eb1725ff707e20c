#!/bin/sh
# Installs those of the named Debian packages that are missing. While another program (an
# unattended upgrade, another apt-get) holds the package lock, it says so and waits, for up to
# MGMESH_LOCK_WAIT seconds (default 300), before giving up with what to do.
set -u

missing=""
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -n "$missing" ] || exit 0
echo "installing:$missing"

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
limit=${MGMESH_LOCK_WAIT:-300}
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

# apt-get with its arguments, again while the lock is held; apt waits on the dpkg lock itself
# (DPkg::Lock::Timeout), the loop also covers the package lists' lock of apt-get update
apt_get() {
    waited=0
    while :; do
        if $sudo env DEBIAN_FRONTEND=noninteractive apt-get -qq -o DPkg::Lock::Timeout=30 "$@" \
            2>"$errors"; then
            return 0
        fi
        if ! grep -qiE "could not get lock|unable to acquire|unable to lock" "$errors"; then
            cat "$errors" >&2
            echo "mgmesh: apt-get $1 failed (above); the packages needed are:$missing" >&2
            exit 1
        fi
        holder=$(grep -i "held by" "$errors" | head -n 1 | sed 's/.*[Hh]eld by //')
        if [ "$waited" -ge "$limit" ]; then
            cat "$errors" >&2
            echo "mgmesh: the package lock is still held${holder:+ by $holder} after ${waited} s;" \
                "let that program finish (or stop it), then run make again" >&2
            exit 1
        fi
        echo "mgmesh: another program holds the package lock${holder:+ ($holder)};" \
            "waiting (${waited} s of ${limit} s)"
        sleep 10
        waited=$((waited + 10))
    done
}

apt_get update
apt_get install -y --no-install-recommends $missing
