#!/usr/bin/env bash
# Makes the release of this checkout's commit a second time, from a fresh clone in another folder,
# in another time zone, with another umask, and compares every file with an earlier release's,
# byte for byte (scripts/verify-release.sh, which also carries a signed release's signatures
# over). Where one differs, diffoscope says where.
# Usage: scripts/check-reproducible.sh [earlier release folder, default dist]
#   (make that first with scripts/release.sh, from a clean checkout of the same commit)
set -euo pipefail
cd "$(dirname "$0")/.."
first=${1:-dist}
[ -f "$first/COMMIT" ] || { echo "No release in $first: run scripts/release.sh first" >&2; exit 1; }
[ "$(cat "$first/COMMIT")" = "$(git rev-parse HEAD)" ] ||
    echo "Note: $first is the release of $(cat "$first/COMMIT"), not of this checkout's commit"
# This checkout's own commit, on whatever branch: it is the one you just built.
exec scripts/verify-release.sh --own-checkout "$first"
