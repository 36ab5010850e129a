#!/usr/bin/env bash
# Makes a release in dist/: the Debian package (Qt 6), the Windows setup program, the Windows
# program's folder as a portable zip, and SHA256SUMS over the three. The version in every file
# name is the CMake project's VERSION. Two releases of one commit are the same bytes, whoever
# makes them and wherever (scripts/check-reproducible.sh compares two).
# Usage: scripts/release.sh [--no-wine-check]
#   The setup program is installed, opened and uninstalled under Wine before it is kept, unless
#   --no-wine-check (the second build of a comparison, whose files must match the first's).
# Qt for Windows as for scripts/build-windows.sh: QT_MINGW_DIR, or QT_MINGW_ARCHIVE (default
# ../shared/toolchains/qt5.15-mingw32.tar.xz beside the repository, checked by its SHA-256).
set -euo pipefail
cd "$(dirname "$0")/.."
wine_check=yes
[ "${1:-}" = "--no-wine-check" ] && wine_check=no
# CPack's Debian generator finds the libraries the program needs with dpkg-shlibdeps and file.
scripts/install-deps.sh dpkg-dev file git procps
. scripts/reproducible-env.sh

rm -rf dist
mkdir dist

echo "== Debian package (Qt 6) =="
rm -rf build-release
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBODYASTRO_QT_MAJOR=6 -DBODYASTRO_BUILD_TESTS=OFF -DBODYASTRO_WERROR=ON
cmake --build build-release -j"$(nproc)"
cpack -G DEB --config build-release/CPackConfig.cmake -B "$PWD/build-release/cpack"
cp build-release/cpack/*.deb dist/

echo "== Windows: setup program and portable zip =="
# From scratch, keeping only the unpacked Qt.
[ -d build-release-windows ] && find build-release-windows -mindepth 1 -maxdepth 1 ! -name 'qt5.15-mingw32*' -exec rm -rf {} +
scripts/build-windows.sh build-release-windows -DBODYASTRO_BUILD_TESTS=OFF
cmake --build build-release-windows --target windows_setup windows_zip
cp build-release-windows/CorvaneBodyAstrology-*-setup.exe build-release-windows/CorvaneBodyAstrology-*-windows.zip dist/
if [ "$wine_check" = yes ]; then
    tests/windows_setup_check.sh dist || {
        [ $? -eq 77 ] || exit 1
        echo "WARNING: the setup program was NOT tried under Wine on this machine (see SKIP above)"
    }
fi

cd dist
sha256sum -- *.deb *.exe *.zip >SHA256SUMS
echo "Release files in dist/:"
cat SHA256SUMS
