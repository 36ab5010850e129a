#!/usr/bin/env bash
# Redraws the setup's pictures in art/ (setup-art.cpp) from the icon and sign pictures in assets/.
# Run it after changing those; the pictures are kept in the repository, so that the setup is the
# same bytes from every build whatever the machine's Qt draws.
# Usage: packaging/windows/make-setup-art.sh   (needs g++ and Qt 6's Svg development files)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046 # pkg-config's flags are words
g++ -std=c++17 -Wall -Wextra -Werror -fPIC -o "$work/setup-art" "$here/setup-art.cpp" $(pkg-config --cflags --libs Qt6Svg Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/setup-art" "$here/../../assets" "$here/art"
echo "wrote $here/art/side.bmp and header.bmp"
