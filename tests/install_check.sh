#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the files a desktop needs, then
# validates the desktop entry and the AppStream metainfo when the validators are installed.
set -euo pipefail
build_dir=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage" cmake --install "$build_dir" --prefix /usr >/dev/null

id=com.corvanesoftware.BodyAstrology
expected=(
    usr/bin/bodyastro
    usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$id.svg
)
for size in 16 32 48 64 128 256; do
    expected+=(usr/share/icons/hicolor/${size}x${size}/apps/$id.png)
done
status=0
for file in "${expected[@]}"; do
    if [ ! -s "$stage/$file" ]; then
        echo "missing after install: /$file"
        status=1
    fi
done
[ -x "$stage/usr/bin/bodyastro" ] || { echo "bodyastro is not executable"; status=1; }
# The icon named by the desktop entry must be the one installed.
grep -qx "Icon=$id" "$stage/usr/share/applications/$id.desktop" || { echo "desktop entry names another icon"; status=1; }

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$stage/usr/share/applications/$id.desktop" || status=1
else
    echo "desktop-file-validate not installed: desktop entry not validated"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net --pedantic "$stage/usr/share/metainfo/$id.metainfo.xml" || status=1
else
    echo "appstreamcli not installed: metainfo not validated"
fi
[ $status -eq 0 ] && echo "install layout OK"
exit $status
