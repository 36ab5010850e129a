#!/usr/bin/env bash
# Builds the Qt that goes inside the Windows program: Qt 5.15 (qtbase and qtsvg, shared, release)
# for 64-bit (x64) or 32-bit (x86) Windows with Debian 12's MinGW-w64 cross compiler, from Debian
# 12's own Qt source packages with every one of Debian's patches applied (the security fixes among
# them). Packs it as qt5.15-mingw64.tar.xz or qt5.15-mingw32.tar.xz, with BUILDINFO at its top
# naming the sources, patches, compiler and options. About 30 minutes on 2 cores; needs root
# (apt) on Debian 12 with deb-src reachable.
#
# Usage: scripts/build-qt-windows.sh [--arch x64|x86] [output archive, default ./qt5.15-mingwNN.tar.xz]
# Then: QT_MINGW_ARCHIVE=<archive> scripts/build-windows.sh --arch ..., after adding the archive's
# SHA-256 to scripts/qt-windows.sha256 (the build script takes no archive the project does not list).
#
# The same sources give the same archive, byte for byte: the build always happens in one fixed
# folder (Qt writes its build paths into its host tools and module files), nothing is stamped
# with the time of the build (no PE link time, resource times from the Debian changelog), and
# the archive is packed in name order with fixed owners, modes and times.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/windows-arch.sh" "$@"
set -- "${arch_rest[@]}"
name=qt5.15-mingw$bits
output=$(realpath -m "${1:-$name.tar.xz}")
work=/var/tmp/bodyastro-$name
prefix=$work/$name
# The Debian source versions built: bookworm's qtbase with its security update, and qtsvg.
QTBASE_DEB=5.15.8+dfsg-11+deb12u3
QTSVG_DEB=5.15.8-3
QTBASE_DSC_SHA256=f442936526e336a033acb1021bfed0d59b42ee520483a015cf245478c75b3b7f
QTSVG_DSC_SHA256=4d25b3ee99370815f990cc1840af476dffc2ccd5df49c51dd3f497cda778eeaf

"$repo/scripts/install-deps.sh" --only "g++-mingw-w64-$deb_arch-posix" "gcc-mingw-w64-$deb_arch-posix" \
    "binutils-mingw-w64-$deb_arch" "mingw-w64-$deb_arch-dev" g++ make perl python3 xz-utils dpkg-dev
rm -rf "$work"
mkdir -p "$work/src"
cd "$work/src"
grep -qs 'deb-src' /etc/apt/sources.list.d/debian.sources ||
    sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
apt-get update -qq
apt-get source --download-only "qtbase-opensource-src=$QTBASE_DEB" "qtsvg-opensource-src=$QTSVG_DEB"
# The .dsc pins every tarball by hash; pinning the .dsc pins the whole source.
sha256sum -c <<SUMS
$QTBASE_DSC_SHA256  qtbase-opensource-src_$QTBASE_DEB.dsc
$QTSVG_DSC_SHA256  qtsvg-opensource-src_$QTSVG_DEB.dsc
SUMS
cd "$work"
# dpkg-source checks the tarballs against the .dsc, unpacks them and applies every patch in
# debian/patches/series.
dpkg-source --require-strong-checksums -x "src/qtbase-opensource-src_$QTBASE_DEB.dsc" qtbase-src
dpkg-source --require-strong-checksums -x "src/qtsvg-opensource-src_$QTSVG_DEB.dsc" qtsvg-src
# Everything is dated by the qtbase source's last changelog entry, not by the clock.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l qtbase-src/debian/changelog -S Timestamp)
export SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022

# Debian's source leaves out the tablet headers that the Windows platform plug-in includes; Wine's
# own (LGPL, in Debian's libwine-dev) serve, with the Wine macros they expect.
wintab=qtbase-src/src/3rdparty/wintab
mkdir -p "$wintab" libwine-dev
(cd libwine-dev && apt-get download libwine-dev && dpkg-deb -x libwine-dev_*.deb x)
cp libwine-dev/x/usr/include/wine/wine/windows/pktdef.h "$wintab/"
cp libwine-dev/x/usr/include/wine/wine/windows/wintab.h "$wintab/wine_wintab.h"
cat >"$wintab/wintab.h" <<'HDR'
/* Wine's wintab.h (LGPL, from Debian's libwine-dev) with the Wine macros it expects. */
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(func) func##W
# else
#  define WINELIB_NAME_AW(func) func##A
# endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
# define API WINAPI
#endif
#include "wine_wintab.h"
HDR

# No link time in the DLLs, no member times in the static libraries, and source paths written relative to the build folder.
cat >>qtbase-src/mkspecs/win32-g++/qmake.conf <<CONF
QMAKE_CFLAGS += -ffile-prefix-map=$work=.
QMAKE_CXXFLAGS += -ffile-prefix-map=$work=.
QMAKE_LFLAGS += -Wl,--no-insert-timestamp
QMAKE_LIB = \$\${CROSS_COMPILE}ar -rcD
CONF

# The posix thread model (std::thread, std::mutex) is the one Qt needs.
update-alternatives --set "$triplet-g++" "/usr/bin/$triplet-g++-posix" >/dev/null
update-alternatives --set "$triplet-gcc" "/usr/bin/$triplet-gcc-posix" >/dev/null

configure_options=(-release -shared -strip -nomake examples -nomake tests
    -no-opengl -no-dbus -no-icu -no-openssl -no-sql-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql
    -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz)
mkdir build-qtbase && cd build-qtbase
../qtbase-src/configure -prefix "$prefix" -xplatform win32-g++ -device-option CROSS_COMPILE=$triplet- \
    -opensource -confirm-license "${configure_options[@]}"
make -j"$(nproc)"
make install
cd "$work" && mkdir build-qtsvg && cd build-qtsvg
"$prefix/bin/qmake" ../qtsvg-src
make -j"$(nproc)"
make install

# The compiler's runtime DLLs the program needs beside it, exactly as Debian ships them.
for dll in "$gcc_runtime_dll" libstdc++-6.dll libwinpthread-1.dll; do
    cp "$("$triplet-g++-posix" -print-file-name="$dll")" "$prefix/bin/"
done

cd "$work"
{
    echo "Qt 5.15 for $bits-bit Windows (MinGW-w64), built from Debian 12's source packages by scripts/build-qt-windows.sh"
    echo "source: qtbase-opensource-src_$QTBASE_DEB.dsc sha256 $QTBASE_DSC_SHA256"
    echo "source: qtsvg-opensource-src_$QTSVG_DEB.dsc sha256 $QTSVG_DSC_SHA256"
    for tree in qtbase-src qtsvg-src; do
        echo "patches applied to $tree: $(grep -cvE '^\s*(#|$)' "$tree/debian/patches/series")"
        grep -vE '^\s*(#|$)' "$tree/debian/patches/series" | sed 's/^/  /'
    done
    echo "compiler: $("$triplet-g++-posix" --version | head -n 1)"
    echo "binutils: $("$triplet-ld" --version | head -n 1)"
    echo "configure: ${configure_options[*]}"
    echo "build folder: $work; SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
} >"$prefix/BUILDINFO"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    --mode='u+rwX,go+rX,go-w' --format=gnu -cf - "$name" | xz -9 -T1 >"$output.part"
mv "$output.part" "$output"
echo "packed: $output"
sha256sum "$output"
