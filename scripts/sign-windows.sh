#!/usr/bin/env bash
# Gives one Windows program file of a release its Authenticode signature, in place: the
# executable in the program's folder (before the zip and the setup take it), the setup's
# uninstaller (NSIS's !uninstfinalize) and the setup itself.
# Usage: scripts/sign-windows.sh FILE ROLE [DESCRIPTION]
#   ROLE names the file's signature among the release's, e.g. bodyastro-x64, uninstall-x86;
#   DESCRIPTION is what Windows shows as the signed program's name (UAC prompts, SmartScreen).
# - With BODYASTRO_SIGN_PFX (a PKCS#12 file, its password in BODYASTRO_PFX_PASSWORD, empty when
#   unset): signs with SHA-256, dated by SOURCE_DATE_EPOCH and without a time-stamp server, so
#   that one key gives the same bytes every time.
# - With BODYASTRO_SIGN_ATTACH (a folder of ROLE.pem signatures taken out of a published release by
#   scripts/verify-release.sh): puts that signature on FILE instead; refused unless it signs
#   exactly FILE's bytes.
# - With neither: leaves FILE as it is (an unsigned release).
set -euo pipefail
file=$1 role=$2 description=${3:-}
[ -n "${BODYASTRO_SIGN_PFX:-}${BODYASTRO_SIGN_ATTACH:-}" ] || exit 0
command -v osslsigncode >/dev/null || { echo "osslsigncode was not found (Debian: apt install osslsigncode)" >&2; exit 1; }
signed=$(mktemp "$file.signed.XXXXXX")
trap 'rm -f "$signed" "$signed.chain"' EXIT
rm -f "$signed"
if [ -n "${BODYASTRO_SIGN_PFX:-}" ]; then
    : "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH: the signing time is the time of the commit}"
    named=()
    [ -z "$description" ] || named=(-n "$description")
    osslsigncode sign -pkcs12 "$BODYASTRO_SIGN_PFX" -readpass <(printf '%s' "${BODYASTRO_PFX_PASSWORD:-}") \
        -h sha256 -time "$SOURCE_DATE_EPOCH" "${named[@]}" -in "$file" -out "$signed" >/dev/null
else
    signature=$BODYASTRO_SIGN_ATTACH/$role.pem
    [ -f "$signature" ] || { echo "No published signature for $role ($signature)" >&2; exit 1; }
    # The signature's own certificates stand in for a trusted root: attaching then checks only
    # that it signs these bytes, which is what a rebuild must show.
    openssl pkcs7 -in "$signature" -print_certs -out "$signed.chain" 2>/dev/null
    osslsigncode attach-signature -sigin "$signature" -CAfile "$signed.chain" -in "$file" -out "$signed" >/dev/null ||
        { echo "The published signature $role does not sign the rebuilt $(basename "$file")" >&2; exit 1; }
fi
chmod --reference="$file" "$signed"
touch --reference="$file" "$signed"
mv "$signed" "$file"
