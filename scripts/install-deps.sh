#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, if any are missing.
# Usage: scripts/install-deps.sh [--only] [extra packages...]
# With --only, just the packages named (the Windows cross build needs no Qt from Debian).
# A package for another architecture (wine32:i386) adds that architecture first.
set -euo pipefail

if [ "${1:-}" = "--only" ]; then
    shift
    packages=("$@")
else
    # qt6-qpa-plugins holds the X11 and offscreen platforms; Debian only recommends it.
    packages=(cmake g++ make qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core "$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
for package in "${missing[@]}"; do
    if [[ $package == *:* ]] && ! dpkg --print-foreign-architectures | grep -qx "${package#*:}"; then
        "${sudo[@]}" dpkg --add-architecture "${package#*:}"
    fi
done
# A mirror caught mid-sync fails one index (seen: bookworm-security's i386 list) and apt-get
# update then fails as a whole; the lists it did fetch still serve, and the install says whether
# what is needed was among them.
"${sudo[@]}" apt-get update -qq || echo "WARNING: apt-get update failed for some lists; installing from those it has" >&2
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
