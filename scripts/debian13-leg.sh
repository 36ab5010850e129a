#!/usr/bin/env bash
# The tests on a fresh Debian 13 (trixie): a minbase chroot made with debootstrap from the archive
# this machine's apt already uses, and in it
#   - the README's test command on a clean clone of the commit, warnings as errors (Qt 6.8);
#   - appstreamcli validate --strict on the metainfo as the build configures it;
#   - under that system's 32-bit Wine (Debian 12's wine32:i386 does not always install): the
#     32-bit Windows build's tests, the 32-bit setup check and the 64-bit setup over a 32-bit copy.
#     None of them may skip.
# The Windows builds are made on this machine (scripts/build-windows.sh, with their tests); their
# setups are made here, and the repository is bound into the chroot at its own path, so that the
# build folders' absolute paths hold there.
# Usage: scripts/debian13-leg.sh BUILD_X86 BUILD_X64 [LEG_FOLDER, default build-debian13]   (as root)
# Skipped, with a warning and exit 0, only when the archive cannot be reached. The bare base
# system is kept for a week in BODYASTRO_TRIXIE_DIR (default /var/tmp/bodyastro-trixie), beside the
# packages downloaded; every run starts from that base and installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
[ $# -ge 2 ] || { echo "usage: scripts/debian13-leg.sh BUILD_X86 BUILD_X64 [LEG_FOLDER]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "The Debian 13 leg makes a chroot: run it as root" >&2; exit 2; }
build_x86=$(cd "$1" && pwd) build_x64=$(cd "$2" && pwd)
leg=$repo/${3:-build-debian13}
cache=${BODYASTRO_TRIXIE_DIR:-/var/tmp/bodyastro-trixie}
root=$cache/root
started=$(date +%s)
step() { echo "== Debian 13: $* ($(($(date +%s) - started)) s) =="; }

# host_mirror: the URI of the Debian archive that this machine's apt takes its own release from.
host_mirror() {
    local codename uri
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    uri=$(awk -v c="$codename" '$1 == "deb" { for (i = 2; i < NF; i++) if ($i ~ /:\/\// && $(i + 1) == c) { print $i; exit } }' \
        /etc/apt/sources.list 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk -v RS= -v c="$codename" '
        { suite = 0; u = "" }
        { for (i = 1; i <= NF; i++) { if ($i == "Suites:") for (j = i + 1; j <= NF && $j !~ /:$/; j++) if ($j == c) suite = 1
                                      if ($i == "URIs:" && u == "") u = $(i + 1) } }
        suite && u != "" { print u; exit }')
    echo "${uri:-http://deb.debian.org/debian}"
}

# In a fresh chroot nothing runs yet, so a process whose root is ours is one this run left.
stop_chroot_processes() {
    local pid
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
    done
}
unmount_all() {
    stop_chroot_processes
    local mount
    # Deepest first; each one read back from the kernel, so that a failed run leaves none.
    for mount in $(awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r); do
        umount -l "$mount" 2>/dev/null || true
    done
}
mounted() { awk -v r="$root/" 'index($2, r) == 1 { found = 1 } END { exit !found }' /proc/self/mounts; }

scripts/install-deps.sh --only debootstrap wget
mirror=$(host_mirror)
if ! wget -q -T 30 -t 2 -O /dev/null "$mirror/dists/trixie/InRelease"; then
    echo "WARNING: $mirror/dists/trixie cannot be reached: the Debian 13 leg is SKIPPED" >&2
    exit 0
fi

step "the setups of both Windows builds"
rm -rf "$leg" && mkdir -p "$leg/dist"
for build in "$build_x86" "$build_x64"; do
    cmake --build "$build" --target windows_setup windows_zip >>"$leg/setups.log"
    # shellcheck source=/dev/null
    . "$build/product.sh"
    cp "$build/$package_name-$product_version-win$windows_bits-setup.exe" "$leg/dist/"
    cp -a "$build/packaging/windows/package" "$leg/dist/windows-$windows_arch"
done

step "a minbase system from $mirror"
unmount_all
mounted && { echo "Mounts are still under $root: left alone" >&2; exit 1; }
mkdir -p "$cache/archives"
base=$cache/base.tar
if [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase trixie "$root" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        { tail -n 20 "$cache/debootstrap.log"; echo "debootstrap of Debian 13 failed" >&2; exit 1; }
    tar -cf "$base.new" -C "$root" . && mv "$base.new" "$base"
fi
rm -rf "$root" && mkdir -p "$root" && tar -xf "$base" -C "$root"
printf 'deb %s trixie main\ndeb %s trixie-updates main\n' "$mirror" "$mirror" >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q "$repo" "$root/build/main"

trap unmount_all EXIT
mount -t proc proc "$root/proc"
for dir in /dev /sys; do mount --rbind "$dir" "$root$dir" && mount --make-rslave "$root$dir"; done
# The host's /tmp: the X servers of both systems see each other's locks and pick free displays.
mount --bind /tmp "$root/tmp"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
mkdir -p "$root$repo" && mount --bind "$repo" "$root$repo"
if [ -d "$repo/../shared" ]; then
    mkdir -p "$root/build/shared" && mount --bind -o ro "$repo/../shared" "$root/build/shared"
fi

in_chroot() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 CI="${CI:-}" \
        DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$1"
}
in_chroot 'apt-get update -qq && apt-get install -y -qq --no-install-recommends git ca-certificates >/dev/null'

step "the README's test command on a clean clone, warnings as errors"
in_chroot 'cd /build/main && scripts/test.sh build -DBODYASTRO_WERROR=ON'

step "appstreamcli validate --strict"
in_chroot 'appstreamcli --version && appstreamcli validate --no-net --strict /build/main/build/packaging/generated/*.metainfo.xml'

step "the 32-bit Windows tests under Wine"
in_chroot "cd '$repo' && scripts/install-deps.sh --only cmake make procps binutils binutils-mingw-w64-i686 \
    gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix wine wine64 wine32:i386 fonts-dejavu-core xvfb xdotool nsis zip"
# The build's install (the deploy check, the smoke test) copies the runtime DLLs of the MinGW that
# built it; where Debian 13's MinGW is another version, that folder is lent from this machine.
for dll in $(grep -ho '"/usr/lib/gcc/[^"]*\.dll"' "$build_x86/packaging/windows/cmake_install.cmake" | tr -d '"'); do
    dir=$(dirname "$(realpath "$dll")")
    [ -e "$root$dir" ] || { mkdir -p "$root$dir" && mount --bind -o ro "$dir" "$root$dir"; }
done
in_chroot "wine --version; cd '$repo' && ctest --test-dir '$build_x86' --output-on-failure --no-tests=error -j$(nproc) | tee '$leg/ctest.log'"
! grep -qE '\*\*\*Skipped|Not Run' "$leg/ctest.log" || { echo "A 32-bit Windows test skipped in Debian 13" >&2; exit 1; }

step "the 32-bit setup check"
in_chroot "cd '$repo' && tests/windows_setup_check.sh '$build_x86' '$leg/dist'" ||
    { echo "The 32-bit setup check failed or skipped (exit $?) in Debian 13" >&2; exit 1; }

step "the 64-bit setup over a 32-bit copy"
in_chroot "cd '$repo' && tests/windows_setup_cross_check.sh '$build_x64' '$build_x86' '$leg/dist'" ||
    { echo "The 64-bit setup over a 32-bit copy failed or skipped (exit $?) in Debian 13" >&2; exit 1; }
step "passed"
