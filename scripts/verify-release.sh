#!/usr/bin/env bash
# Proves that a published release is exactly this project's source, of the commit the release
# names, plus its signatures. For anyone: no key is needed.
# - Takes the published Authenticode signatures out of the release's Windows files (the programs
#   in the zips, the uninstallers and the setups themselves, read with 7-Zip);
# - makes the release of that commit again from a fresh clone, in another folder, time zone and
#   umask, and puts those signatures on its own files as the release signs them (each one is
#   taken only if it signs exactly the rebuilt bytes: scripts/sign-windows.sh);
# - compares every published file with the rebuild's, byte for byte, and checks SHA256SUMS.
# A release without signatures is compared as it is.
# Usage: scripts/verify-release.sh DIST
#   DIST is the release folder (dist/ of scripts/release.sh, or the downloads with SHA256SUMS and
#   COMMIT beside them). Needs this repository (any clone holding the commit) and the Qt archives
#   for Windows (BODYASTRO_QT_ARCHIVES, default ../shared/toolchains beside the repository).
#   VERIFY_REBUILD_CACHE=FOLDER keeps each rebuild there, by commit and signatures, for a later run.
# Exits 0 only when every file is the same; otherwise says which differ (diffoscope shows where)
# and exits 1. SHA256SUMS.asc is the maker's GPG signature over SHA256SUMS: check it with
# `gpg --verify SHA256SUMS.asc SHA256SUMS` and the maker's public key.
set -euo pipefail
cd "$(dirname "$0")/.."
dist=$(realpath "$1")
[ -f "$dist/SHA256SUMS" ] && [ -f "$dist/COMMIT" ] ||
    { echo "No release in $dist: it needs SHA256SUMS and COMMIT (made by scripts/release.sh)" >&2; exit 1; }
commit=$(tr -d '[:space:]' <"$dist/COMMIT")
git cat-file -e "$commit^{commit}" 2>/dev/null ||
    { echo "The release names commit '$commit', which this repository does not hold (git fetch it first)" >&2; exit 1; }
scripts/install-deps.sh --only git diffoscope-minimal tzdata osslsigncode openssl p7zip-full unzip
# The clone has no ../shared beside it: it is given the same Qt archives by their folder's full path.
BODYASTRO_QT_ARCHIVES=$(realpath "${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}")
export BODYASTRO_QT_ARCHIVES
work=$(mktemp -d "${TMPDIR:-/tmp}/bodyastro-verify.XXXXXX")
trap 'rm -rf "$work"' EXIT

# signature FILE ROLE: ROLE.pem in $work/signatures from FILE, if FILE is signed.
signature() {
    osslsigncode extract-signature -pem -in "$1" -out "$work/signatures/$2.pem" >/dev/null 2>&1 ||
        rm -f "$work/signatures/$2.pem"
}
mkdir "$work/signatures" "$work/unpacked"
shopt -s nullglob
for setup in "$dist"/*-win??-setup.exe; do
    arch=x64
    [[ $setup == *-win32-setup.exe ]] && arch=x86
    signature "$setup" "setup-$arch"
    # The uninstaller the setup writes is stored in it whole, signed: 7-Zip reads it out.
    rm -rf "$work/unpacked"/* && 7z x -y -o"$work/unpacked" "$setup" >/dev/null 2>&1 || true
    uninstaller=$(find "$work/unpacked" -name uninstall.exe | head -n 1)
    [ -z "$uninstaller" ] || signature "$uninstaller" "uninstaller-$arch"
    zip=${setup%-setup.exe}.zip
    rm -rf "$work/unpacked"/*
    while IFS= read -r program; do
        unzip -p "$zip" "$program" >"$work/unpacked/program.exe" 2>/dev/null && signature "$work/unpacked/program.exe" "program-$arch"
    done < <(unzip -Z1 "$zip" 2>/dev/null | grep -E '^[^/]+/[^/]+\.exe$' || true)
done
signatures=$(cd "$work/signatures" && ls)
echo "Published signatures: ${signatures:-none}" | tr '\n' ' ' && echo

# The rebuild, with those signatures; kept by commit and signatures where asked.
key=$(cd "$work/signatures" && { echo "$commit"; cat -- * 2>/dev/null; } | sha256sum | cut -c1-16)
second=${VERIFY_REBUILD_CACHE:+$(realpath -m "$VERIFY_REBUILD_CACHE")/$key}
if [ -z "$second" ] || [ ! -f "$second/SHA256SUMS" ]; then
    git clone -q --no-hardlinks . "$work/another-folder"
    git -C "$work/another-folder" checkout -q "$commit"
    (
        umask 0027
        cd "$work/another-folder"
        [ -z "$signatures" ] || export BODYASTRO_SIGN_ATTACH=$work/signatures
        TZ=Pacific/Chatham LC_ALL=C.UTF-8 scripts/release.sh --no-wine-check
    )
    if [ -n "$second" ]; then
        rm -rf "$second" && mkdir -p "$(dirname "$second")" && cp -a "$work/another-folder/dist" "$second"
    else
        second=$work/another-folder/dist
    fi
fi

# Every published file but the GPG signature: the .deb, the setups, the zips, COMMIT, SHA256SUMS
# and, in a release folder, the unpacked Windows folders.
list() { (cd "$1" && find . -type f ! -name SHA256SUMS.asc | LC_ALL=C sort); }
status=0
while IFS= read -r file; do
    if cmp -s "$dist/$file" "$second/$file"; then
        echo "same: $file"
    else
        echo "DIFFERENT: $file"
        status=1
        [ -f "$second/$file" ] && { diffoscope --no-progress --text - "$dist/$file" "$second/$file" | head -n 80 || true; }
    fi
done < <(list "$dist")
# Every file SHA256SUMS names is there, with that checksum.
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || { echo "DIFFERENT: SHA256SUMS does not match the files"; status=1; }
if [ $status -eq 0 ]; then
    echo "The release is commit $commit, byte for byte${signatures:+, with its signatures}."
fi
exit $status
