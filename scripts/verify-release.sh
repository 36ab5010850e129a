#!/usr/bin/env bash
# Proves that a published release is exactly this project's source, of the commit the release
# names, signed by one signer, who is the maker. For anyone: no key is needed.
# - The commit must be on this repository's main (the local branch or a remote's) or in one of its
#   tags: the rebuild runs that commit's own scripts, so one from a fork or a pull request is
#   refused before anything is built;
# - takes the published Authenticode signatures out of the release's Windows files (the programs
#   in the zips, the uninstallers and the setups themselves, read with 7-Zip), checks each one
#   signs its file, and prints its signer's name and SHA-256 certificate fingerprint; every file
#   must be signed, by one certificate, or none; the GPG signature SHA256SUMS.asc is checked with
#   your keyring and its key's fingerprint printed;
# - compares those signers with the maker's, named in packaging/release-signers.txt (or by
#   --signer for one run), and refuses another; where none are named it says so;
# - makes the release of that commit again from a fresh clone, in another folder, time zone and
#   umask, and puts those signatures on its own files as the release signs them (each one is
#   taken only if it signs exactly the rebuilt bytes: scripts/sign-windows.sh);
# - compares every published file with the rebuild's, byte for byte, both ways (a file only one of
#   them has is named), and checks SHA256SUMS.
# A release without signatures is compared as it is.
# Usage: scripts/verify-release.sh [--signer FINGERPRINT]... [--own-checkout] DIST
#   DIST is the release folder (dist/ of scripts/release.sh, or the downloads with SHA256SUMS and
#   COMMIT beside them). Needs this repository (any clone holding the commit) and the Qt archives
#   for Windows (BODYASTRO_QT_ARCHIVES, default ../shared/toolchains beside the repository).
#   --signer: a certificate's SHA-256 fingerprint (64 hex digits) or a GPG key's (40), expected in
#   place of packaging/release-signers.txt's; may be given more than once.
#   --own-checkout: a release of this checkout's own commit is taken on any branch (for
#   scripts/check-reproducible.sh, which checks the release you just made).
#   VERIFY_REBUILD_CACHE=FOLDER keeps each rebuild there, by commit and signatures, for a later run.
# Exits 0 only when every file is the same and the signers are as expected; otherwise says why
# (which files differ, diffoscope showing where; who signed and who was expected) and exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."
refuse() { echo "REFUSED: $*" >&2; exit 1; }
hex() { tr -d ': \t' | tr '[:lower:]' '[:upper:]'; }
pinned=() own_checkout=no
while [ $# -gt 1 ]; do
    case $1 in
        --signer) pinned+=("$(hex <<<"$2")") && shift 2 ;;
        --own-checkout) own_checkout=yes && shift ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] || { echo "usage: scripts/verify-release.sh [--signer FINGERPRINT]... [--own-checkout] DIST" >&2; exit 2; }
signers_file=packaging/release-signers.txt
if [ ${#pinned[@]} -eq 0 ]; then
    pinned_from=$signers_file
    while read -r _ fingerprint _; do pinned+=("$(hex <<<"$fingerprint")"); done < <(grep -E '^(authenticode|gpg)[[:space:]]' "$signers_file" || true)
else
    pinned_from=--signer
fi
for fingerprint in "${pinned[@]}"; do
    [[ $fingerprint =~ ^[0-9A-F]{40}([0-9A-F]{24})?$ ]] ||
        { echo "'$fingerprint' ($pinned_from) is no fingerprint: 64 hex digits for a certificate, 40 for a GPG key" >&2; exit 2; }
done
dist=$(realpath "$1")
[ -f "$dist/SHA256SUMS" ] && [ -f "$dist/COMMIT" ] ||
    { echo "No release in $dist: it needs SHA256SUMS and COMMIT (made by scripts/release.sh)" >&2; exit 1; }
commit=$(tr -d '[:space:]' <"$dist/COMMIT")
git cat-file -e "$commit^{commit}" 2>/dev/null ||
    { echo "The release names commit '$commit', which this repository does not hold (git fetch it first)" >&2; exit 1; }
# The maker's main: this clone's own, or that of the repository it was cloned from. Another
# remote's main, and tags (fetched along with any remote), could be anyone's: a tag counts only
# when it is signed by a GPG key that is pinned.
published=$(git for-each-ref --contains "$commit" --format='%(refname)' refs/heads/main refs/remotes/origin/main | head -n 1)
signed_tag() {
    local tag signer
    while IFS= read -r tag; do
        signer=$(git verify-tag --raw "$tag" 2>&1 | awk '$2 == "VALIDSIG" { print $NF; exit }')
        [ -z "$signer" ] || [[ " ${pinned[*]} " != *" $signer "* ]] || { echo "tag $tag, signed by $signer"; return; }
    done < <(git for-each-ref --contains "$commit" --format='%(refname:short)' refs/tags)
}
[ -n "$published" ] || published=$(signed_tag)
if [ -z "$published" ] && [ $own_checkout = yes ] && [ "$commit" = "$(git rev-parse HEAD)" ]; then
    published="this checkout's HEAD (--own-checkout)"
fi
[ -n "$published" ] || refuse "commit $commit is on no main branch and in no tag of this repository, so" \
    "it is not one the maker published (a fork's or a pull request's commit would be rebuilt with its own scripts;" \
    "only this clone's main, origin's main and tags signed by a pinned GPG key count)"
echo "Commit $commit: reachable from $published"
scripts/install-deps.sh --only git diffoscope-minimal tzdata osslsigncode openssl p7zip-full unzip gnupg
# shellcheck source=scripts/authenticode.sh
. scripts/authenticode.sh
# The clone has no ../shared beside it: it is given the same Qt archives by their folder's full path.
BODYASTRO_QT_ARCHIVES=$(realpath "${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}")
export BODYASTRO_QT_ARCHIVES
work=$(mktemp -d "${TMPDIR:-/tmp}/bodyastro-verify.XXXXXX")
trap 'rm -rf "$work"' EXIT

# signature FILE ROLE: ROLE.pem in $work/signatures from FILE, and its signer in $work/signers,
# if FILE is signed; a signature that does not check is refused at once.
signature() {
    local why
    echo "$2" >>"$work/roles"
    why=$(authenticode_signer "$1" "$work/check/$2") || {
        [ "$why" = "it is not signed" ] || refuse "the signature of $2 ($(basename "$1")) does not hold: $why"
        return 0
    }
    cp "$work/check/$2/signature.pem" "$work/signatures/$2.pem"
    printf '%s %s\n' "$(certificate_fingerprint "$work/check/$2/signer.pem")" "$(certificate_subject "$work/check/$2/signer.pem")" >"$work/signers/$2"
    echo "Authenticode: $2 signed by $(cut -d' ' -f2- "$work/signers/$2"), SHA-256 $(cut -d' ' -f1 "$work/signers/$2")"
}
mkdir "$work/signatures" "$work/signers" "$work/unpacked"
touch "$work/roles"
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

# One signer for every Windows file, or none at all.
authenticode_signers() {
    local unsigned
    [ -n "$signatures" ] || return 0
    unsigned=$(cd "$work/signers" && comm -23 <(sort "$work/roles") <(ls | sort) | tr '\n' ' ')
    [ -z "$unsigned" ] || refuse "some Windows files are signed and these are not: $unsigned"
    [ "$(cut -d' ' -f1 "$work/signers"/* | sort -u | wc -l)" -eq 1 ] ||
        refuse "the Windows files carry more than one signer:" "$(cd "$work/signers" && grep -H . -- * | sed 's/:/ by SHA-256 /' | tr '\n' ';')"
}
authenticode_signers

# expected KIND WHO: refuses WHO (a fingerprint, with its name) unless the maker's names it; says
# plainly when nothing names the maker's.
expected() {
    local kind=$1 who=$2 length=64 wanted=() fingerprint
    [ "$kind" = GPG ] && length=40
    for fingerprint in "${pinned[@]}"; do [ ${#fingerprint} -ne $length ] || wanted+=("$fingerprint"); done
    if [ ${#wanted[@]} -eq 0 ]; then
        echo "NOT COMPARED: the $kind signer was compared with nothing ($pinned_from names no $kind fingerprint): compare it with the maker's yourself"
    elif [[ " ${wanted[*]} " == *" ${who%% *} "* ]]; then
        echo "The $kind signer is the expected one ($pinned_from)"
    else
        refuse "the $kind signer is ${who:-nobody}; expected ${wanted[*]} ($pinned_from)"
    fi
}
if [ -n "$signatures" ]; then
    expected Authenticode "$(cut -d' ' -f1 "$work/signers"/* | head -n 1) ($(cut -d' ' -f2- "$work/signers"/* | head -n 1))"
else
    echo "Authenticode: no Windows file is signed"
    expected Authenticode ""
fi

# The GPG signature over SHA256SUMS, checked with the user's keyring: its key, by fingerprint.
gpg_signer() {
    local status key
    [ -f "$dist/SHA256SUMS.asc" ] || { echo "GPG: no SHA256SUMS.asc"; expected GPG ""; return 0; }
    status=$(gpg --batch --status-fd 1 --verify "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS" 2>/dev/null || true)
    # One signer, as for the Windows files: a second signature beside the maker's is refused.
    [ "$(grep -c '^\[GNUPG:\] NEWSIG' <<<"$status")" -le 1 ] || refuse "SHA256SUMS.asc carries more than one" \
        "signature, by keys $(gpg --batch --list-packets "$dist/SHA256SUMS.asc" 2>/dev/null | awk '/issuer fpr/ { print $NF }' | tr -d ')' | tr '\n' ' ')"
    ! grep -q '^\[GNUPG:\] BADSIG' <<<"$status" || refuse "SHA256SUMS.asc is a bad signature over SHA256SUMS"
    key=$(awk '$2 == "VALIDSIG" { print $NF }' <<<"$status")
    if [ -n "$key" ]; then
        echo "GPG: SHA256SUMS.asc is a good signature by key $key"
        expected GPG "$key"
    else
        key=$(gpg --batch --list-packets "$dist/SHA256SUMS.asc" 2>/dev/null | awk '/issuer fpr/ { print $NF; exit }' | tr -d ')')
        echo "GPG: SHA256SUMS.asc names key ${key:-(unknown)}, which is not in your keyring: not checked (gpg --import the maker's key)"
        expected GPG "${key:+$key, not checked}"
    fi
}
gpg_signer

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
list() { (cd "$1" && find . ! -type d ! -path ./SHA256SUMS.asc | LC_ALL=C sort); }
# What the release must hold: the rebuild's downloads (SHA256SUMS and what it names) and every
# file of each rebuilt folder that the release has too (downloads come without the unpacked ones).
wanted() {
    (cd "$second" && {
        printf './%s\n' COMMIT SHA256SUMS && awk '{ print "./" $2 }' SHA256SUMS
        for folder in */; do [ ! -d "$dist/$folder" ] || find "./$folder" -type f; done
    } | LC_ALL=C sort -u)
}
status=0
while IFS= read -r file; do
    # A link is no download: it would be compared as whatever it points at.
    if [ -L "$dist/$file" ]; then
        echo "LINK: $file (a link, to $(readlink "$dist/$file"), in place of a file)"
        status=1
    elif [ ! -f "$second/$file" ]; then
        echo "EXTRA: $file (the rebuild has no such file)"
        status=1
    elif cmp -s "$dist/$file" "$second/$file"; then
        echo "same: $file"
    else
        echo "DIFFERENT: $file"
        status=1
        diffoscope --no-progress --text - "$dist/$file" "$second/$file" | head -n 80 || true
    fi
done < <(list "$dist")
while IFS= read -r file; do
    [ -f "$dist/$file" ] || { echo "MISSING: $file (the rebuild has it, the release does not)"; status=1; }
done < <(wanted)
# Every file SHA256SUMS names is there, with that checksum.
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || { echo "DIFFERENT: SHA256SUMS does not match the files"; status=1; }
if [ $status -eq 0 ]; then
    echo "The release is commit $commit ($published), byte for byte${signatures:+, with its signatures}."
fi
exit $status
