#!/usr/bin/env bash
# The winget and Scoop manifests of a release, made from a small fake one (files of the right
# names, zips holding the program's folder): the same bytes twice, accepted by
# scripts/check-manifests.py, and refused once anything is wrong: a manifest of each kind the
# schemas refuse (tests/manifests/), a zip changed after they were made, winget files that disagree,
# SHA256SUMS without them.
# Usage: tests/manifest_check.sh PRODUCT_SH   (product.sh of a build folder)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
schemas=${BODYASTRO_SCHEMAS:-$repo/../shared/schemas}
[ -d "$schemas" ] || { echo "SKIP: no manifest schemas at $schemas"; exit 77; }
/usr/bin/python3 -c 'import jsonschema, yaml' 2>/dev/null ||
    { echo "SKIP: python3-jsonschema or python3-yaml missing (scripts/install-deps.sh --only python3-jsonschema python3-yaml)"; exit 77; }
# shellcheck source=/dev/null
. "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/good" "$work/zip/$product_name"
: >"$work/zip/$product_name/$executable.exe"
for bits in 64 32; do
    stem=$package_name-$product_version-win$bits
    echo "setup $bits" >"$work/good/$stem-setup.exe"
    (cd "$work/zip" && /usr/bin/python3 -m zipfile -c "$work/good/$stem.zip" "$product_name")
done
"$repo/scripts/make-manifests.py" "$1" "$work/good" >/dev/null
cp -a "$work/good" "$work/first"
"$repo/scripts/make-manifests.py" "$1" "$work/good" >/dev/null
diff -r "$work/first" "$work/good" || fail "two runs wrote different manifests"
(cd "$work/good" && sha256sum -- *.exe *.zip $(find winget scoop -type f) >SHA256SUMS)
"$repo/scripts/check-manifests.py" "$work/good" || fail "the manifests were refused"
installer=$(cd "$work/good" && echo winget/manifests/*/*/*/*/*.installer.yaml)
version=${installer%.installer.yaml}.yaml

# refused CASE EXPECTED...: a copy of the good release, changed by the commands on stdin.
refused() {
    rm -rf "$work/case" && cp -a "$work/good" "$work/case"
    (cd "$work/case" && sh -e)
    if "$repo/scripts/check-manifests.py" "$work/case" >"$work/said"; then fail "$1 was accepted"; fi
    for expected in "${@:2}"; do
        grep -q -- "$expected" "$work/said" || { cat "$work/said"; fail "$1 was refused, but not for $expected"; }
    done
    echo "refused: $1"
}
refused "a winget installer file the schema refuses" "installer.yaml: schema: 'everyone' is not one" \
    <<<"cp '$repo/tests/manifests/bad.installer.yaml' '$installer'"
refused "a Scoop manifest the schema refuses" "json: schema: 'license' is a required property" \
    <<<"cp '$repo/tests/manifests/bad-scoop.json' scoop/*.json"
refused "a zip changed after the manifests were made" "installer 3: the SHA-256 of $package_name" "json 64bit: the SHA-256 of" \
    <<<"echo changed >>'$package_name-$product_version-win64.zip'"
refused "winget files of two versions" "locale.en-US.yaml: PackageVersion is '1.0', not '0.9'" \
    <<<"sed -i 's/^PackageVersion: .*/PackageVersion: \"0.9\"/' '$version'"
refused "SHA256SUMS without the manifests" "SHA256SUMS: does not cover scoop/" <<<"sha256sum -- *.exe *.zip >SHA256SUMS"
echo "PASS"
