# shellcheck shell=bash
# Authenticode checks shared by the release scripts (sourced; needs osslsigncode and openssl).
# A signature is judged by what it shows for itself: which key made it and which bytes it signs.
# Whether some certificate authority vouches for that key is Windows' question; the release check
# compares the signer's certificate by its fingerprint instead. osslsigncode's own verdict is not
# used: it wants a self-signed root, and for a bought certificate the authority's revocation list
# from the network, neither of which tells who signed.

# osslsigncode 2.8 and later fetch the revocation lists a certificate names unless told not to;
# Debian 12's 2.5 fetches none and knows no such option.
authenticode_offline=()
osslsigncode --help 2>&1 | grep -q -- -ignore-cdp && authenticode_offline=(-ignore-cdp)

# authenticode_signer FILE DIR: checks FILE's signature and writes its signer's certificate to
# DIR/signer.pem. Fails, saying why on stdout, unless FILE carries one signature, made by that
# certificate's key, over a digest that is FILE's own.
authenticode_signer() {
    local file=$1 dir=$2 digests offset header length
    mkdir -p "$dir" && rm -f "$dir/signer.pem"
    osslsigncode extract-signature -pem -in "$file" -out "$dir/signature.pem" >/dev/null 2>&1 ||
        { echo "it is not signed"; return 1; }
    # The digest the signature names and the digest of FILE's bytes: the same, and one of each.
    digests=$(osslsigncode verify -CAfile /dev/null "${authenticode_offline[@]}" -in "$file" 2>/dev/null | sed -n 's/^\(Current\|Calculated\) message digest *: *//p')
    # A second signature nested in the first would be a second signer, whoever it is.
    [ "$(wc -l <<<"$digests")" -le 2 ] || { echo "it carries more than one signer (a nested signature)"; return 1; }
    [ "$(wc -l <<<"$digests")" = 2 ] && [ "$(sort -u <<<"$digests" | wc -l)" = 1 ] ||
        { echo "its signature does not sign its bytes"; return 1; }
    # What the key signed: the SpcIndirectDataContent's value, without its own header.
    read -r offset header length < <(openssl asn1parse -inform PEM -in "$dir/signature.pem" |
        awk '/:1\.3\.6\.1\.4\.1\.311\.2\.1\.4$/ && !at { at = NR } at && NR == at + 2 { gsub(/[:=]/, " "); print $1, $5, $7; exit }')
    sed '/-----/d' "$dir/signature.pem" | base64 -d | tail -c +$((offset + header + 1)) | head -c "$length" >"$dir/content"
    openssl smime -verify -noverify -binary -inform PEM -in "$dir/signature.pem" -content "$dir/content" \
        -signer "$dir/signer.pem" -out /dev/null >/dev/null 2>&1 && [ "$(grep -c BEGIN "$dir/signer.pem")" = 1 ] ||
        { echo "its signature is not made by the key of the certificate it names"; return 1; }
}

# certificate_fingerprint PEM: the certificate's SHA-256 fingerprint, 64 hex digits.
certificate_fingerprint() { openssl x509 -in "$1" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g'; }
certificate_subject() { openssl x509 -in "$1" -noout -subject -nameopt RFC2253 | sed 's/^subject=//'; }
certificate_not_before() { date -d "$(openssl x509 -in "$1" -noout -startdate | sed 's/.*=//')" +%s; }

# authenticode_attach SIGNATURE FILE OUT: FILE with SIGNATURE put on it, as OUT. osslsigncode
# writes OUT before its own verdict, which is not wanted (see above: with no trusted root it fails
# at once, reaching for nothing on the network); the caller checks OUT with authenticode_signer.
authenticode_attach() {
    osslsigncode attach-signature -CAfile /dev/null -sigin "$1" -in "$2" -out "$3" >/dev/null 2>&1 || [ -s "$3" ]
}
