#!/usr/bin/env bash
# Makes a release in dist/: the Debian package (Qt 6), the Windows setup program, the Windows
# program's folder as a portable zip, and SHA256SUMS over the three. The version in every file
# name is the CMake project's VERSION. The setup program is tested under Wine before it is kept.
# Usage: scripts/release.sh
# Qt for Windows as for scripts/build-windows.sh: QT_MINGW_DIR, or QT_MINGW_ARCHIVE (default
# ../shared/toolchains/qt5.15-mingw32.tar.xz beside the repository).
set -euo pipefail
cd "$(dirname "$0")/.."
# CPack's Debian generator finds the libraries the program needs with dpkg-shlibdeps and file.
scripts/install-deps.sh dpkg-dev file
scripts/install-deps.sh --only nsis xvfb xdotool procps

rm -rf dist
mkdir dist

echo "== Debian package (Qt 6) =="
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBODYASTRO_QT_MAJOR=6 -DBODYASTRO_BUILD_TESTS=OFF -DBODYASTRO_WERROR=ON
cmake --build build-release -j"$(nproc)"
rm -rf build-release/cpack
cpack -G DEB --config build-release/CPackConfig.cmake -B "$PWD/build-release/cpack"
cp build-release/cpack/*.deb dist/

echo "== Windows: setup program and portable zip =="
scripts/build-windows.sh build-release-windows -DBODYASTRO_BUILD_TESTS=OFF
rm -f build-release-windows/CorvaneBodyAstrology-*
cmake --build build-release-windows --target windows_setup windows_zip
cp build-release-windows/CorvaneBodyAstrology-*-setup.exe build-release-windows/CorvaneBodyAstrology-*-windows.zip dist/
tests/windows_setup_check.sh dist

cd dist
sha256sum -- *.deb *.exe *.zip >SHA256SUMS
echo "Release files in dist/:"
cat SHA256SUMS
