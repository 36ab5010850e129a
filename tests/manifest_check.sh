#!/usr/bin/env bash
# The winget and Scoop manifests of a release, made from a small fake one (files of the right
# names, zips holding the program's folder): the same bytes twice, accepted by
# scripts/check-manifests.py, and refused once anything is wrong: a manifest of each kind the
# schemas refuse (tests/manifests/), a zip changed after they were made, winget files that disagree,
# SHA256SUMS without them, and what a schema lets through: another host, swapped architectures, a
# key given twice, an extra or repeated installer, a portable zip naming no program, a stray file, a
# script or switch slipped in; and what is refused is refused without a crash.
# Usage: tests/manifest_check.sh PRODUCT_SH   (product.sh of a build folder)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
schemas=${BODYASTRO_SCHEMAS:-$repo/../shared/schemas}
[ -d "$schemas" ] || { echo "SKIP: no manifest schemas at $schemas"; exit 77; }
/usr/bin/python3 -c 'import jsonschema, yaml' 2>/dev/null ||
    { echo "SKIP: python3-jsonschema or python3-yaml missing (scripts/install-deps.sh --only python3-jsonschema python3-yaml)"; exit 77; }
# shellcheck source=/dev/null
. "$1"
product=$1 work=$(mktemp -d)
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
sums='sha256sum -- *.exe *.zip $(find winget scoop -type f) >SHA256SUMS'
(cd "$work/good" && eval "$sums")
"$repo/scripts/check-manifests.py" "$1" "$work/good" || fail "the manifests were refused"
installer=$(cd "$work/good" && echo winget/manifests/*/*/*/*/*.installer.yaml)
version=${installer%.installer.yaml}.yaml
# edit FILE STATEMENT: changes a winget file's document (d) in Python.
cat >"$work/edit" <<'EOF'
#!/usr/bin/python3
import sys, yaml
d = yaml.safe_load(open(sys.argv[1]))
exec(sys.argv[2])
yaml.SafeDumper.ignore_aliases = lambda *_: True
yaml.safe_dump(d, open(sys.argv[1], "w"), sort_keys=False)
EOF
chmod +x "$work/edit"

# refused CASE EXPECTED...: a copy of the good release, changed by the commands on stdin.
refused() {
    rm -rf "$work/case" && cp -a "$work/good" "$work/case"
    (cd "$work/case" && PATH=$work:$PATH sh -e)
    if "$repo/scripts/check-manifests.py" "$product" "$work/case" >"$work/said" 2>&1; then fail "$1 was accepted"; fi
    ! grep -q Traceback "$work/said" || { cat "$work/said"; fail "$1 crashed the check"; }
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
refused "the same files on another host" "is not downloaded from $download_url" \
    <<<"sed -i 's#$download_url#https://example.org/x#' scoop/*.json '$installer'"
refused "x64 and x86 swapped" "win64.zip is for x64, not x86" "win32-setup.exe is for x86, not x64" "win64.zip is for 64bit, not 32bit" \
    <<<"sed -i -e 's/: x64\$/: X/' -e 's/: x86\$/: x64/' -e 's/: X\$/: x86/' '$installer'
        sed -i -e 's/\"64bit\"/\"X\"/' -e 's/\"32bit\"/\"64bit\"/' -e 's/\"X\"/\"32bit\"/' scoop/*.json"
refused "a key given twice" "ManifestType given twice" "version given twice" \
    <<<"echo 'ManifestType: version' >>'$version'; sed -i '1s/^{/{\"version\": \"0.9\",/' scoop/*.json"
refused "an installer of another kind, and one twice" "win64-setup.exe as exe: neither" "win64-setup.exe is offered as user twice" \
    <<<"edit '$installer' 'd[\"Installers\"] += [dict(d[\"Installers\"][0], InstallerType=\"exe\"), d[\"Installers\"][0]]'"
refused "a portable zip naming no program, or another alias" "installer 3: NestedInstallerFiles is None" "'PortableCommandAlias': 'cmd'" \
    <<<"edit '$installer' 'del d[\"Installers\"][2][\"NestedInstallerFiles\"]; d[\"Installers\"][5][\"NestedInstallerFiles\"][0][\"PortableCommandAlias\"] = \"cmd\"'"
refused "a locale file of another locale" "PackageLocale is 'de-DE', not the DefaultLocale 'en-US'" \
    <<<"sed -i 's/^PackageLocale: .*/PackageLocale: de-DE/' winget/manifests/*/*/*/*/*.locale.*"
refused "stray files the checksums cover" "scoop/notes.txt: not one of the manifests" "manifests/c/extra.yaml: not one" \
    <<<"echo x >scoop/notes.txt; cp '$version' winget/manifests/c/extra.yaml; $sums"
refused "a script, a switch and a dependency slipped in" "/pre_install is there, unlike what" \
    "installer.yaml: /Installers/1/InstallerSwitches/Silent is there" "/Dependencies is there" "SHA256SUMS: has another checksum for scoop/" \
    <<<"sed -i '1s/^{/{\"pre_install\": \"calc\",/' scoop/*.json
        edit '$installer' 'd[\"Installers\"][0][\"InstallerSwitches\"][\"Silent\"] = \"/S /D=C:\\\\Windows\"; d[\"Dependencies\"] = {\"PackageDependencies\": [{\"PackageIdentifier\": \"Evil.Tool\"}]}'"
refused "a version YAML reads as a number, a torn SHA256SUMS and a zip that is none" "PackageVersion is 1.0, not '1.0'" "win32.zip: File is not a zip file" \
    <<<"sed -i 's/^PackageVersion: .*/PackageVersion: 1.0/' winget/manifests/*/*/*/*/*; echo torn >>SHA256SUMS; echo x >'$package_name-$product_version-win32.zip'"
refused "what winget reads otherwise: a YAML 1.1 yes, an alias, JSON nested deep" "'yes' is not of type 'boolean'" \
    "yaml: an alias" "json: nested 601 deep" <<<"sed -i 's/DependOnPath: true/DependOnPath: yes/' '$installer'; echo 'X: &a [*a]' >>'$version'
        /usr/bin/python3 -c 'import sys; sys.stdout.write(open(sys.argv[1]).read().replace(\"{\", \"{\\\"x\\\": \" + \"[\" * 600 + \"]\" * 600 + \",\", 1))' scoop/*.json >deep; mv deep scoop/*.json"
refused "a manifest listed twice in SHA256SUMS, or linked from elsewhere" "SHA256SUMS: lists scoop/" "installer.yaml: a link" \
    <<<"grep scoop/ SHA256SUMS >x; cat x >>SHA256SUMS; rm x; mv '$installer' ../elsewhere.yaml; ln -s \"\$PWD/../elsewhere.yaml\" '$installer'"
rm -rf "$work/case" && cp -a "$work/good" "$work/case"
(cd "$work/case" && sed -i 's/"hash": "/"hash": "sha256:/' scoop/*.json && eval "$sums")
"$repo/scripts/check-manifests.py" "$product" "$work/case" >/dev/null || fail "a Scoop hash that names its algorithm was refused"
echo "PASS"
