#!/usr/bin/env bash
# Makes the release of this checkout's commit a second time, from a fresh clone in another folder,
# in another time zone, with another umask, and compares every file with an earlier release's,
# byte for byte. Where one differs, diffoscope says where.
# Usage: scripts/check-reproducible.sh [earlier release folder, default dist]
#   (make that first with scripts/release.sh, from a clean checkout of the same commit)
set -euo pipefail
cd "$(dirname "$0")/.."
first=$(realpath "${1:-dist}")
[ -f "$first/SHA256SUMS" ] || { echo "No release in $first: run scripts/release.sh first" >&2; exit 1; }
scripts/install-deps.sh --only git diffoscope-minimal tzdata

# The clone has no ../shared beside it: it is given the same Qt archives by their folder's full path.
BODYASTRO_QT_ARCHIVES=$(realpath "${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}")
export BODYASTRO_QT_ARCHIVES
work=$(mktemp -d "${TMPDIR:-/tmp}/bodyastro-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT
git clone -q --no-hardlinks . "$work/another-folder"
git -C "$work/another-folder" checkout -q "$(git rev-parse HEAD)"
(
    umask 0027
    cd "$work/another-folder"
    TZ=Pacific/Chatham LC_ALL=C.UTF-8 scripts/release.sh --no-wine-check
)
second=$work/another-folder/dist

# Every file: the .deb, the setups, the zips, SHA256SUMS and the unpacked Windows folders.
list() { (cd "$1" && find . -type f | LC_ALL=C sort); }
status=0
while IFS= read -r file; do
    if cmp -s "$first/$file" "$second/$file"; then
        echo "same: $file"
    else
        echo "DIFFERENT: $file"
        status=1
        [ -f "$second/$file" ] && { diffoscope --no-progress --text - "$first/$file" "$second/$file" | head -n 80 || true; }
    fi
done < <(list "$first")
[ "$(list "$first")" = "$(list "$second")" ] || { echo "DIFFERENT: the lists of files"; status=1; }
[ $status -eq 0 ] && echo "The two releases are the same, byte for byte."
exit $status
