#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests and runs them all with CTest.
# Usage: scripts/test.sh [build directory] [extra CMake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-tests}
shift || true
scripts/install-deps.sh xvfb xauth xdotool xclip desktop-file-utils appstream xdg-utils libfile-mimeinfo-perl
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DBODYASTRO_BUILD_TESTS=ON "$@"
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
