#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBODYASTRO_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
exec build/bodyastro
