#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests and runs them all with CTest.
# Usage: scripts/test.sh [build directory] [extra CMake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-tests}
shift || true
# The X11 smoke test, the desktop files' checks, and the winget and Scoop manifests' schemas.
scripts/install-deps.sh xvfb xauth xdotool xclip desktop-file-utils appstream xdg-utils libfile-mimeinfo-perl \
    python3-jsonschema python3-yaml
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DBODYASTRO_BUILD_TESTS=ON "$@"
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
