#!/usr/bin/env bash
# Cross-compiles the program and its tests for 32-bit Windows on Debian 12 (MinGW-w64, Qt 5.15,
# warnings as errors) and lays out the program's folder, dist/windows/Corvane Body Astrology/,
# with exactly what it needs to run on Windows 7 or later.
# Usage: scripts/build-windows.sh [build folder, default build-windows] [extra CMake arguments...]
# Qt: QT_MINGW_DIR names an unpacked Qt 5.15 for i686 MinGW; otherwise QT_MINGW_ARCHIVE
# (default: ../shared/toolchains/qt5.15-mingw32.tar.xz beside the repository) is unpacked into
# the build folder.
# Then: ctest --test-dir BUILD_FOLDER runs the tests under Wine, tests/wine_smoke.sh the program.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-windows}
shift || true
scripts/install-deps.sh --only cmake make xz-utils binutils g++-mingw-w64-i686-posix mingw-w64-i686-dev \
    wine wine32:i386 fonts-dejavu-core xvfb xdotool

if [ -z "${QT_MINGW_DIR:-}" ]; then
    archive=${QT_MINGW_ARCHIVE:-../shared/toolchains/qt5.15-mingw32.tar.xz}
    [ -f "$archive" ] || { echo "No Qt for Windows: set QT_MINGW_DIR, or QT_MINGW_ARCHIVE to qt5.15-mingw32.tar.xz" >&2; exit 1; }
    QT_MINGW_DIR=$build_dir/qt5.15-mingw32
    stamp=$build_dir/qt5.15-mingw32.unpacked
    if [ ! -f "$stamp" ] || [ "$archive" -nt "$stamp" ]; then
        echo "Unpacking $archive"
        rm -rf "$QT_MINGW_DIR" && mkdir -p "$build_dir"
        tar -xJf "$archive" -C "$build_dir"
        touch "$stamp"
    fi
fi
QT_MINGW_DIR=$(cd "$QT_MINGW_DIR" && pwd)

cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_PREFIX_PATH="$QT_MINGW_DIR" \
    -DCMAKE_BUILD_TYPE=Release -DBODYASTRO_QT_MAJOR=5 -DBODYASTRO_BUILD_BENCHMARKS=OFF -DBODYASTRO_WERROR=ON "$@"
cmake --build "$build_dir" -j"$(nproc)"

folder="dist/windows/Corvane Body Astrology"
rm -rf "$folder"
cmake --install "$build_dir" --prefix "$folder" >/dev/null
tests/windows_deploy_check.sh "$folder"
echo "The Windows program is in $folder"
