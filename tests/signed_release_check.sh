#!/usr/bin/env bash
# A signed release as a maker makes one, checked as anyone can check it: a throwaway
# code-signing certificate and GPG key; scripts/release.sh signing with them (its setup checks
# then install and run the signed files under Wine); every signature verified; then
# scripts/verify-release.sh, run from another clone, takes the release, and refuses it, naming
# the zip, once one byte of a zip has changed and SHA256SUMS has been rewritten to match.
# Usage: tests/signed_release_check.sh   (leaves the signed release in dist/)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --only git openssl osslsigncode gnupg p7zip-full unzip
. scripts/reproducible-env.sh
keys=$(mktemp -d "${TMPDIR:-/tmp}/bodyastro-keys.XXXXXX")
trap 'gpgconf --kill all 2>/dev/null; rm -rf "$keys"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "== throwaway certificate and key =="
openssl req -x509 -newkey rsa:3072 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 30 \
    -subj "/CN=Throwaway Code Signing" -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature 2>/dev/null
export BODYASTRO_PFX_PASSWORD=throwaway
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/sign.pfx" -passout env:BODYASTRO_PFX_PASSWORD
export GNUPGHOME=$keys/gnupg
mkdir -m 700 "$GNUPGHOME"
# Made a day before the commit: the release signs at the commit's time.
gpg --batch --quiet --faked-system-time "$((SOURCE_DATE_EPOCH - 86400))!" --pinentry-mode loopback --passphrase '' \
    --quick-gen-key "Throwaway Release Key <release@example.invalid>" rsa3072 sign never 2>/dev/null
key=$(gpg --batch --list-keys --with-colons | awk -F: '/^fpr/ { print $10; exit }')

echo "== the signed release =="
scripts/release.sh --sign-pfx "$keys/sign.pfx" --sign-gpg "$key"

echo "== every signature =="
verify() { osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" >"$keys/verify.log" 2>&1 || fail "$2 is not signed: $(tail -n 3 "$keys/verify.log")"; }
unpacked=$keys/unpacked
for setup in dist/*-setup.exe; do
    verify "$setup" "$setup"
    rm -rf "$unpacked" && 7z x -y -o"$unpacked" "$setup" >/dev/null
    for file in uninstall.exe bodyastro.exe; do verify "$(find "$unpacked" -name "$file")" "$file in $setup"; done
    zip=${setup%-setup.exe}.zip
    unzip -p "$zip" "*/bodyastro.exe" >"$keys/program.exe"
    verify "$keys/program.exe" "bodyastro.exe in $zip"
done
gpg --batch --verify dist/SHA256SUMS.asc dist/SHA256SUMS 2>/dev/null || fail "SHA256SUMS.asc does not verify"
echo "signatures: the setups, their uninstallers, the programs in setups and zips, SHA256SUMS"

echo "== verify-release.sh from another clone =="
git clone -q . "$keys/verifier"
export BODYASTRO_QT_ARCHIVES VERIFY_REBUILD_CACHE=$keys/rebuilds
BODYASTRO_QT_ARCHIVES=$(realpath "${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}")
"$keys/verifier/scripts/verify-release.sh" "$PWD/dist" || fail "the signed release was refused"

echo "== one byte of a zip changed, SHA256SUMS rewritten to match =="
cp -a dist "$keys/tampered"
zip=$(cd "$keys/tampered" && ls -- *-win64.zip)
printf '\x55' | dd of="$keys/tampered/$zip" bs=1 seek=1000000 conv=notrunc status=none
(cd "$keys/tampered" && sha256sum -- *.deb *.exe *.zip COMMIT >SHA256SUMS)
if "$keys/verifier/scripts/verify-release.sh" "$keys/tampered" >"$keys/tampered.log" 2>&1; then
    fail "a release with a changed byte was taken"
fi
grep -qx "DIFFERENT: ./$zip" "$keys/tampered.log" || fail "the refusal does not name $zip: $(grep DIFFERENT "$keys/tampered.log")"
echo "signed release: signed, verified, rebuilt byte for byte from another clone; a changed zip refused"
