#!/usr/bin/env bash
# Makes a release in dist/: the Debian package (Qt 6); for 64-bit and for 32-bit Windows, the
# setup program and the program's folder as a portable zip; the winget and Scoop manifests for
# them (scripts/make-manifests.py); and SHA256SUMS over them all. The
# version in every file name is the CMake project's VERSION, the Windows architecture follows it
# (win64, win32); COMMIT names the commit. Two releases of one commit are the same bytes, whoever
# makes them and wherever (scripts/verify-release.sh proves it of a published one).
# Usage: scripts/release.sh [--no-wine-check] [--sign-pfx FILE] [--sign-gpg KEYID]
#   --sign-pfx: every Windows program file is signed with Authenticode with the code-signing
#   certificate and key in FILE (PKCS#12; its password in BODYASTRO_PFX_PASSWORD, none when
#   unset or empty), dated by the commit (or the certificate's issue, if later): the programs in
#   the zips and setups, the uninstallers, the setups.
#   --sign-gpg: SHA256SUMS is signed with that GPG key, as SHA256SUMS.asc, dated likewise.
#   Each setup program is installed, opened and uninstalled under Wine before it is kept, unless
#   --no-wine-check (the second build of a comparison, whose files must match the first's): the
#   64-bit one always (under wine64), the 32-bit one, and the 64-bit one over an installed 32-bit
#   copy, where the machine runs 32-bit code.
# Qt for Windows: the archives qt5.15-mingw64.tar.xz and qt5.15-mingw32.tar.xz in the folder
# BODYASTRO_QT_ARCHIVES (default ../shared/toolchains beside the repository), each checked by its
# SHA-256 (scripts/build-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
wine_check=yes gpg_key=""
unset QT_MINGW_DIR QT_MINGW_ARCHIVE BODYASTRO_SIGN_PFX
while [ $# -gt 0 ]; do
    case $1 in
        --no-wine-check) wine_check=no ;;
        --sign-pfx) BODYASTRO_SIGN_PFX=$(realpath "$2") && shift && export BODYASTRO_SIGN_PFX ;;
        --sign-gpg) gpg_key=$2 && shift ;;
        *) echo "usage: scripts/release.sh [--no-wine-check] [--sign-pfx FILE] [--sign-gpg KEYID]" >&2; exit 2 ;;
    esac
    shift
done
# CPack's Debian generator finds the libraries the program needs with dpkg-shlibdeps and file.
# python3 writes the winget and Scoop manifests.
scripts/install-deps.sh dpkg-dev file git procps python3
[ -z "${BODYASTRO_SIGN_PFX:-}${BODYASTRO_SIGN_ATTACH:-}" ] || scripts/install-deps.sh --only osslsigncode openssl
[ -z "$gpg_key" ] || scripts/install-deps.sh --only gnupg
. scripts/reproducible-env.sh
# Read now, with the date above: what is committed meanwhile is not this release.
commit=$(git rev-parse HEAD)

rm -rf dist
mkdir dist

echo "== Debian package (Qt 6) =="
rm -rf build-release
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBODYASTRO_QT_MAJOR=6 -DBODYASTRO_BUILD_TESTS=OFF -DBODYASTRO_WERROR=ON
cmake --build build-release -j"$(nproc)"
cpack -G DEB --config build-release/CPackConfig.cmake -B "$PWD/build-release/cpack"
cp build-release/cpack/*.deb dist/

for arch in x64 x86; do
    echo "== Windows ($arch): setup program and portable zip =="
    build=build-release-windows-$arch
    # From scratch, keeping only the unpacked Qt.
    [ -d "$build" ] && find "$build" -mindepth 1 -maxdepth 1 ! -name 'qt5.15-mingw*' -exec rm -rf {} +
    scripts/build-windows.sh --arch "$arch" "$build" -DBODYASTRO_BUILD_TESTS=OFF
    cmake --build "$build" --target windows_setup windows_zip
    # shellcheck source=/dev/null
    . "$build/product.sh"
    cp "$build/$package_name-$product_version-win$windows_bits-setup.exe" "$build/$package_name-$product_version-win$windows_bits.zip" dist/
    # The unpacked folder as the zip and the setup hold it (signed, where the release signs).
    rm -rf "dist/windows-$arch" && cp -a "$build/packaging/windows/package" "dist/windows-$arch"
    if [ "$wine_check" = yes ]; then
        tests/windows_setup_check.sh "$build" dist || {
            [ $? -eq 77 ] || exit 1
            echo "WARNING: the $arch setup program was NOT tried under Wine on this machine (see SKIP above)"
        }
    fi
done
if [ "$wine_check" = yes ]; then
    tests/windows_setup_cross_check.sh build-release-windows-x64 build-release-windows-x86 dist || {
        [ $? -eq 77 ] || exit 1
        echo "WARNING: the 64-bit setup over a 32-bit copy was NOT tried on this machine (see SKIP above)"
    }
fi

echo "$commit" >dist/COMMIT
# The winget and Scoop manifests, with the checksums of the setups and zips above.
scripts/make-manifests.py build-release-windows-x64/product.sh dist
cd dist
sha256sum -- *.deb *.exe *.zip COMMIT $(find winget scoop -type f | LC_ALL=C sort) >SHA256SUMS
if [ -n "$gpg_key" ]; then
    # Dated by the commit too, so that one key signs the same bytes every time; or by the making
    # of its newest signing key, when that came later: a key is not valid before it was made, and
    # a maker's key is often newer than the commit of a first release.
    made=$(gpg --batch --with-colons --list-secret-keys -- "$gpg_key" |
        awk -F: '($1 == "sec" || $1 == "ssb") && $12 ~ /s/ && $2 !~ /[der]/ && $6 > made { made = $6 } END { print made + 0 }')
    gpg --batch --yes --local-user "$gpg_key" --faked-system-time "$((made > SOURCE_DATE_EPOCH ? made : SOURCE_DATE_EPOCH))!" \
        --armor --detach-sign --output SHA256SUMS.asc SHA256SUMS
    gpg --batch --verify SHA256SUMS.asc SHA256SUMS || { echo "SHA256SUMS.asc does not verify" >&2; exit 1; }
fi
echo "Release files in dist/:"
cat SHA256SUMS
