#!/usr/bin/env bash
# Cross-compiles the program and its tests for 32-bit Windows on Debian 12 (MinGW-w64, Qt 5.15,
# warnings as errors) and lays out the program's folder, dist/windows/Corvane Body Astrology/,
# with exactly what it needs to run on Windows 7 or later.
# Usage: scripts/build-windows.sh [build folder, default build-windows] [extra CMake arguments...]
# Qt: QT_MINGW_DIR names an unpacked Qt 5.15 for i686 MinGW, the builder's own choice; otherwise
# QT_MINGW_ARCHIVE (default: ../shared/toolchains/qt5.15-mingw32.tar.xz beside the repository) is
# unpacked into the build folder, but only an archive that scripts/qt-windows.sha256 lists: one
# that scripts/build-qt-windows.sh made from Debian's patched Qt sources.
# Then: ctest --test-dir BUILD_FOLDER runs the tests under Wine, tests/wine_smoke.sh the program.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-windows}
shift || true
# Everything the Windows targets use (the setup's NSIS and the zip's zip among them) is installed
# before CMake looks for anything.
scripts/install-deps.sh --only cmake make xz-utils git binutils binutils-mingw-w64-i686 \
    g++-mingw-w64-i686-posix mingw-w64-i686-dev wine wine32:i386 fonts-dejavu-core xvfb xdotool nsis zip
. scripts/reproducible-env.sh

if [ -z "${QT_MINGW_DIR:-}" ]; then
    archive=${QT_MINGW_ARCHIVE:-../shared/toolchains/qt5.15-mingw32.tar.xz}
    # Refused before anything is configured, unless the project lists it.
    sum=$(scripts/check-qt-archive.sh "$archive")
    QT_MINGW_DIR=$build_dir/qt5.15-mingw32
    stamp=$build_dir/qt5.15-mingw32.unpacked
    if [ "$(cat "$stamp" 2>/dev/null)" != "$sum" ]; then
        echo "Unpacking $archive"
        rm -rf "$QT_MINGW_DIR" && mkdir -p "$build_dir"
        tar -xJf "$archive" -C "$build_dir"
        echo "$sum" >"$stamp"
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
