#!/usr/bin/env bash
# Gives one Windows program file of a release its Authenticode signature, in place: the
# executable in the program's folder (before the zip and the setup take it), the setup's
# uninstaller (NSIS's !uninstfinalize) and the setup itself.
# Usage: scripts/sign-windows.sh FILE ROLE [DESCRIPTION]
#   ROLE names the file's signature among the release's, e.g. bodyastro-x64, uninstall-x86;
#   DESCRIPTION is what Windows shows as the signed program's name (UAC prompts, SmartScreen).
# - With BODYASTRO_SIGN_PFX (a PKCS#12 file, its password in BODYASTRO_PFX_PASSWORD, none when
#   unset or empty): signs with SHA-256 and without a time-stamp server, so that one key gives the
#   same bytes every time, dated by SOURCE_DATE_EPOCH or, for a certificate issued after the
#   commit, by the certificate's first valid second (a signature never claims a time before its
#   certificate existed).
# - With BODYASTRO_SIGN_ATTACH (a folder of ROLE.pem signatures taken out of a published release by
#   scripts/verify-release.sh): puts that signature on FILE instead; refused unless it signs
#   exactly FILE's bytes (scripts/authenticode.sh: whoever signed, which the check compares).
# - With neither: leaves FILE as it is (an unsigned release).
set -euo pipefail
file=$1 role=$2 description=${3:-}
[ -n "${BODYASTRO_SIGN_PFX:-}${BODYASTRO_SIGN_ATTACH:-}" ] || exit 0
command -v osslsigncode >/dev/null || { echo "osslsigncode was not found (Debian: apt install osslsigncode)" >&2; exit 1; }
# shellcheck source=scripts/authenticode.sh
. "$(dirname "$0")/authenticode.sh"
signed=$(mktemp "$file.signed.XXXXXX")
checked=$(mktemp -d)
trap 'rm -rf "$signed" "$checked"' EXIT
rm -f "$signed"

# sign TIME: FILE signed with the PFX at TIME, as $signed.
sign() {
    local named=() password=()
    [ -z "$description" ] || named=(-n "$description")
    # osslsigncode cannot read an empty password from a file: with none, it is not given.
    # The password goes through a file only this user can read (mktemp -d), never the command line.
    if [ -n "${BODYASTRO_PFX_PASSWORD:-}" ]; then
        printf '%s' "$BODYASTRO_PFX_PASSWORD" >"$checked/password" && password=(-readpass "$checked/password")
    fi
    rm -f "$signed"
    osslsigncode sign -pkcs12 "$BODYASTRO_SIGN_PFX" "${password[@]}" -h sha256 -time "$1" "${named[@]}" \
        -in "$file" -out "$signed" >/dev/null
}

if [ -n "${BODYASTRO_SIGN_PFX:-}" ]; then
    : "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH: the signing time is the time of the commit}"
    sign "$SOURCE_DATE_EPOCH"
    authenticode_signer "$signed" "$checked" >/dev/null || { echo "Signing $(basename "$file") made no valid signature" >&2; exit 1; }
    issued=$(certificate_not_before "$checked/signer.pem")
    [ "$issued" -le "$SOURCE_DATE_EPOCH" ] || sign "$issued"
else
    signature=$BODYASTRO_SIGN_ATTACH/$role.pem
    [ -f "$signature" ] || { echo "No published signature for $role ($signature)" >&2; exit 1; }
    authenticode_attach "$signature" "$file" "$signed" && why=$(authenticode_signer "$signed" "$checked") &&
        cmp -s "$signature" "$checked/signature.pem" ||
        { echo "The published signature $role does not sign the rebuilt $(basename "$file")${why:+: $why}" >&2; exit 1; }
fi
chmod --reference="$file" "$signed"
touch --reference="$file" "$signed"
mv "$signed" "$file"
