#!/usr/bin/env bash
# Cross-compiles the program and its tests for Windows on Debian 12 (MinGW-w64, Qt 5.15, warnings
# as errors), 64-bit (x64, the default) or 32-bit (x86), and lays out the program's folder,
# dist/windows-ARCH/<product name>/, with exactly what it needs to run on Windows 7 or later.
# Usage: scripts/build-windows.sh [--arch x64|x86] [build folder, default build-windows-ARCH]
#                                 [extra CMake arguments...]
# Qt: QT_MINGW_DIR names an unpacked Qt 5.15 for that architecture's MinGW, the builder's own
# choice; otherwise QT_MINGW_ARCHIVE (default: qt5.15-mingw64.tar.xz, or -mingw32 for x86, in the
# folder BODYASTRO_QT_ARCHIVES, by default ../shared/toolchains beside the repository) is unpacked
# into the build folder, but only an archive that scripts/qt-windows.sha256 lists: one that
# scripts/build-qt-windows.sh made from Debian's patched Qt sources.
# Then: ctest --test-dir BUILD_FOLDER runs the tests under Wine (wine64 for x64; for x86 where the
# machine runs 32-bit code and Debian's wine32 installs), tests/wine_smoke.sh the program.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-arch.sh "$@"
set -- "${arch_rest[@]}"
build_dir=${1:-build-windows-$arch}
shift || true
# Everything the Windows targets use (the setup's NSIS and the zip's zip among them) is installed
# before CMake looks for anything.
scripts/install-deps.sh --only cmake make xz-utils git binutils "binutils-mingw-w64-$deb_arch" \
    "g++-mingw-w64-$deb_arch-posix" "mingw-w64-$deb_arch-dev" wine wine64 fonts-dejavu-core xvfb \
    xdotool nsis zip
# The 32-bit Wine is an i386 package that a mirror does not always offer in step with the 64-bit
# system's libraries; without it the 32-bit tests skip, saying why (tests/wine-usable.sh).
if [ "$arch" = x86 ] && ! scripts/install-deps.sh --only wine32:i386; then
    echo "WARNING: Debian's wine32:i386 could not be installed: the 32-bit Wine tests will skip" >&2
fi
. scripts/reproducible-env.sh

qt_name=qt5.15-mingw$bits
if [ -z "${QT_MINGW_DIR:-}" ]; then
    archive=${QT_MINGW_ARCHIVE:-${BODYASTRO_QT_ARCHIVES:-../shared/toolchains}/$qt_name.tar.xz}
    # Refused before anything is configured, unless the project lists it.
    sum=$(scripts/check-qt-archive.sh "$archive")
    QT_MINGW_DIR=$build_dir/$qt_name
    stamp=$build_dir/$qt_name.unpacked
    if [ "$(cat "$stamp" 2>/dev/null)" != "$sum" ]; then
        echo "Unpacking $archive"
        rm -rf "$QT_MINGW_DIR" && mkdir -p "$build_dir"
        tar -xJf "$archive" -C "$build_dir"
        echo "$sum" >"$stamp"
    fi
fi
QT_MINGW_DIR=$(cd "$QT_MINGW_DIR" && pwd)

cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw$bits.cmake" -DCMAKE_PREFIX_PATH="$QT_MINGW_DIR" \
    -DCMAKE_BUILD_TYPE=Release -DBODYASTRO_QT_MAJOR=5 -DBODYASTRO_BUILD_BENCHMARKS=OFF -DBODYASTRO_WERROR=ON "$@"
cmake --build "$build_dir" -j"$(nproc)"

# shellcheck source=/dev/null
. "$build_dir/product.sh"
folder="dist/windows-$arch/$product_name"
rm -rf "$folder"
cmake --install "$build_dir" --prefix "$folder" >/dev/null
tests/windows_deploy_check.sh "$folder"
echo "The Windows program ($arch) is in $folder"
