#!/usr/bin/env bash
# A signed release as a maker makes one, checked as anyone can check it: a throwaway
# certificate authority (root, intermediate, and a code-signing certificate, delivered as a PFX
# with the intermediate but not the root, without a password, as one is bought) and a GPG key
# made just now, after the commit; scripts/release.sh signing with them (its setup checks then
# install and run the signed files under Wine); every signature verified up to that root; then
# scripts/verify-release.sh, run from another clone, takes the release with both signers pinned,
# and refuses, naming the cause: another certificate pinned; a second signer on some files; a
# file missing; a file added; a commit on no branch or tag; one byte of a zip changed. In
# each SHA256SUMS is rewritten to match, as an attacker would.
# Usage: tests/signed_release_check.sh   (leaves the signed release in dist/)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --only git openssl osslsigncode gnupg p7zip-full unzip
. scripts/reproducible-env.sh
keys=$(mktemp -d "${TMPDIR:-/tmp}/release-keys.XXXXXX")
trap 'gpgconf --kill all 2>/dev/null; rm -rf "$keys"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "== throwaway certificate authority and GPG key =="
# certificate NAME ISSUER EXTENSIONS...: NAME.pem and NAME.key, issued by ISSUER (self when "").
certificate() {
    local name=$1 issuer=$2 && shift 2
    local by=(-signkey "$keys/$name.key")
    [ -z "$issuer" ] || by=(-CA "$keys/$issuer.pem" -CAkey "$keys/$issuer.key" -CAcreateserial)
    openssl req -new -newkey rsa:2048 -nodes -keyout "$keys/$name.key" -subj "/CN=Throwaway $name" -out "$keys/$name.csr" 2>/dev/null
    openssl x509 -req -in "$keys/$name.csr" "${by[@]}" -days 30 -extfile <(printf '%s\n' "$@") -out "$keys/$name.pem" 2>/dev/null
}
certificate Root "" basicConstraints=critical,CA:TRUE keyUsage=critical,keyCertSign,cRLSign
certificate Intermediate Root basicConstraints=critical,CA:TRUE keyUsage=critical,keyCertSign,cRLSign
# A bought certificate names where its revocation list is; nothing here may fetch it.
certificate Signing Intermediate keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning \
    crlDistributionPoints=URI:http://crl.example.invalid/intermediate.crl
certificate Mallory "" keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning
unset BODYASTRO_PFX_PASSWORD
openssl pkcs12 -export -inkey "$keys/Signing.key" -in "$keys/Signing.pem" -certfile "$keys/Intermediate.pem" \
    -out "$keys/sign.pfx" -passout pass:
openssl pkcs12 -export -inkey "$keys/Mallory.key" -in "$keys/Mallory.pem" -out "$keys/mallory.pfx" -passout pass:
# The revocation lists Windows would fetch, empty, for verifying up to the root here.
for ca in Root Intermediate; do
    mkdir -p "$keys/$ca.db" && : >"$keys/$ca.db/index" && echo 01 >"$keys/$ca.db/number"
    openssl ca -gencrl -config <(printf '[ca]\ndefault_ca=x\n[x]\ndatabase=%s\ncrlnumber=%s\ndefault_md=sha256\ndefault_crl_days=30\n' \
        "$keys/$ca.db/index" "$keys/$ca.db/number") -keyfile "$keys/$ca.key" -cert "$keys/$ca.pem" 2>/dev/null
done >"$keys/crls.pem"
fingerprint() { openssl x509 -in "$keys/$1.pem" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g'; }
export GNUPGHOME=$keys/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --quiet --pinentry-mode loopback --passphrase '' \
    --quick-gen-key "Throwaway Release Key <release@example.invalid>" rsa3072 sign never 2>/dev/null
key=$(gpg --batch --list-keys --with-colons | awk -F: '/^fpr/ { print $10; exit }')

echo "== the signed release =="
scripts/release.sh --sign-pfx "$keys/sign.pfx" --sign-gpg "$key"
# shellcheck source=/dev/null
. build-release-windows-x64/product.sh
# shellcheck source=scripts/authenticode.sh
. scripts/authenticode.sh

echo "== every signature =="
verify() {
    osslsigncode verify -CAfile "$keys/Root.pem" -CRLfile "$keys/crls.pem" "${authenticode_offline[@]}" -in "$1" >"$keys/verify.log" 2>&1 ||
        fail "$2 is not signed: $(tail -n 3 "$keys/verify.log")"
}
unpacked=$keys/unpacked
for setup in dist/*-setup.exe; do
    verify "$setup" "$setup"
    rm -rf "$unpacked" && 7z x -y -o"$unpacked" "$setup" >/dev/null
    for file in uninstall.exe "$executable.exe"; do verify "$(find "$unpacked" -name "$file")" "$file in $setup"; done
    zip=${setup%-setup.exe}.zip
    unzip -p "$zip" "*/$executable.exe" >"$keys/program.exe"
    verify "$keys/program.exe" "$executable.exe in $zip"
done
gpg --batch --verify dist/SHA256SUMS.asc dist/SHA256SUMS 2>/dev/null || fail "SHA256SUMS.asc does not verify"
echo "signatures: the setups, their uninstallers, the programs in setups and zips, SHA256SUMS"

echo "== verify-release.sh from another clone, both signers pinned =="
git clone -q . "$keys/verifier"
# The release is published from main, whichever branch this run checked out.
git -C "$keys/verifier" merge-base --is-ancestor HEAD main 2>/dev/null || git -C "$keys/verifier" update-ref refs/heads/main HEAD
export BODYASTRO_QT_ARCHIVES VERIFY_REBUILD_CACHE=$keys/rebuilds
BODYASTRO_QT_ARCHIVES=$(realpath "${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}")
"$keys/verifier/scripts/verify-release.sh" --signer "$(fingerprint Signing)" --signer "$key" "$PWD/dist" | tee "$keys/taken.log" ||
    fail "the signed release was refused"
[ "$(grep -c "signer is the expected one" "$keys/taken.log")" = 2 ] || fail "the signers were not both compared"

# tampered NAME: a copy of the release to change, as $copy; resum: its SHA256SUMS made to match,
# without the maker's GPG signature, which no longer holds and which an attacker cannot make.
tampered() { copy=$keys/$1 && rm -rf "$copy" && cp -a dist "$copy"; }
resum() {
    (cd "$copy" && awk '{ print $2 }' SHA256SUMS | xargs sha256sum -- >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
    rm -f "$copy/SHA256SUMS.asc"
}
# refused CAUSE ARGS...: verify-release.sh refuses $copy, naming CAUSE (a grep pattern).
refused() {
    local cause=$1 && shift
    ! "$keys/verifier/scripts/verify-release.sh" "$@" "$copy" >"$copy.log" 2>&1 || fail "$copy was taken"
    grep -q -- "$cause" "$copy.log" || fail "the refusal of $copy does not say '$cause': $(tail -n 5 "$copy.log")"
    echo "refused, naming the cause: $(basename "$copy")"
    rm -rf "$copy"
}

echo "== refused: another certificate pinned, a second signer, a file missing, one added, a commit on no branch =="
tampered pinned-another
refused "REFUSED: the Authenticode signer is $(fingerprint Signing) (CN=Throwaway Signing); expected $(fingerprint Mallory)" \
    --signer "$(fingerprint Mallory)"
# mallory [-nest]: each setup of $copy signed by Mallory instead of the maker, or as well.
mallory() {
    for setup in "$copy"/*-setup.exe; do
        osslsigncode sign -pkcs12 "$keys/mallory.pfx" "$@" -h sha256 -time "$SOURCE_DATE_EPOCH" -in "$setup" -out "$setup.new" >/dev/null
        mv "$setup.new" "$setup"
    done
}
tampered two-signers
mallory && resum && refused "REFUSED: the Windows files carry more than one signer"
tampered nested-signer
mallory -nest && resum && refused "REFUSED: .*more than one signer"
# A second GPG signature beside the maker's, by a key the verifier's keyring does not hold.
tampered two-gpg-signers
gpg --batch --quiet --pinentry-mode loopback --passphrase '' --quick-gen-key "Mallory <mallory@example.invalid>" ed25519 sign never 2>/dev/null
mallory_key=$(gpg --batch --list-keys --with-colons Mallory | awk -F: '/^fpr/ { print $10; exit }')
{ gpg --dearmor <dist/SHA256SUMS.asc && gpg --batch -u "$mallory_key" --detach-sign -o - dist/SHA256SUMS; } >"$copy/SHA256SUMS.asc"
gpg --batch --yes --delete-secret-and-public-key "$mallory_key"
refused "REFUSED:.*$mallory_key" --signer "$(fingerprint Signing)" --signer "$key"
tampered missing
deb=$(cd "$copy" && ls -- *.deb)
rm "$copy/$deb" && sed -i "/ $deb\$/d" "$copy/SHA256SUMS" && resum && refused "^MISSING: ./$deb"
tampered added
cp "$copy/COMMIT" "$copy/extra.exe" && echo "-  extra.exe" >>"$copy/SHA256SUMS" && resum && refused "^EXTRA: ./extra.exe"
tampered no-branch
git -C "$keys/verifier" -c user.name=Nobody -c user.email=nobody@example.invalid \
    commit-tree -p HEAD -m "on no branch" "HEAD^{tree}" >"$copy/COMMIT"
resum && refused "REFUSED: commit $(cat "$copy/COMMIT") is on no main branch and in no tag"
# A contributor's fork fetched into the clone: its main and its tags are not the maker's. Its
# scripts, which a rebuild would run, stop at once.
tampered fork-main
git clone -q "$keys/verifier" "$keys/fork" && git -C "$keys/fork" checkout -q -B main
echo 'exit 3' >"$keys/fork/scripts/release.sh"
git -C "$keys/fork" -c user.name=Fork -c user.email=fork@example.invalid commit -qam "a fork's main"
git -C "$keys/fork" tag fork-1.0 && git -C "$keys/fork" rev-parse HEAD >"$copy/COMMIT"
git -C "$keys/verifier" remote add fork "$keys/fork" && git -C "$keys/verifier" fetch -q fork
resum && refused "REFUSED: commit $(cat "$copy/COMMIT") is on no main branch and in no tag"
# The unpacked program swapped for a link to other bytes; a file added under the name the
# signature has.
tampered linked-program
program=$copy/windows-x64/$product_name/$executable.exe
cp "$program" "$keys/planted.exe" && printf '\x55' | dd of="$keys/planted.exe" bs=1 seek=1000 conv=notrunc status=none
ln -sf "$keys/planted.exe" "$program" && refused "^LINK: ./windows-x64/$product_name/$executable.exe"
tampered added-asc
cp "$keys/planted.exe" "$copy/windows-x64/SHA256SUMS.asc" && refused "^EXTRA: ./windows-x64/SHA256SUMS.asc"

echo "== refused: one byte of a zip changed, SHA256SUMS rewritten to match =="
tampered one-byte
zip=$package_name-$product_version-win$windows_bits.zip
printf '\x55' | dd of="$copy/$zip" bs=1 seek=1000000 conv=notrunc status=none
resum && refused "^DIFFERENT: ./$zip\$"
echo "signed release: signed through a chain, verified, rebuilt byte for byte from another clone with its signers pinned; refused each change"
