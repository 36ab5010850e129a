#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the files a desktop needs, then
# validates the desktop entry and the AppStream metainfo, checks that a .boa file resolves to
# the reading-file type and runs lintian on the Debian package, each where its tools are
# installed.
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
    usr/share/mime/packages/$id.xml
    usr/share/man/man1/bodyastro.1.gz
    usr/share/doc/corvane-body-astrology/copyright
    usr/share/doc/corvane-body-astrology/changelog.gz
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
# The desktop entry names the installed icon, takes a file, claims the reading-file type and
# matches the program's X11 window class (the executable's name).
desktop=$stage/usr/share/applications/$id.desktop
type=application/x-bodyastro-reading
for line in "Icon=$id" "Exec=bodyastro %f" "MimeType=$type;" "StartupWMClass=bodyastro" "Keywords=.*;"; do
    grep -qx "$line" "$desktop" || { echo "desktop entry lacks the line $line"; status=1; }
done

if command -v update-mime-database >/dev/null 2>&1; then
    XDG_DATA_DIRS="$stage/usr/share" update-mime-database "$stage/usr/share/mime"
    grep -q "<comment>Body astrology reading</comment>" "$stage/usr/share/mime/$type.xml" \
        || { echo "the MIME database has no comment for $type"; status=1; }
    if command -v xdg-mime >/dev/null 2>&1 && command -v mimetype >/dev/null 2>&1; then
        # Only the installed copy's database is searched, and through shared-mime-info
        # (X-Generic makes xdg-mime ask mimetype, not file(1), which knows no globs).
        # The first two lines of a saved reading: ANN and 7, scrambled.
        printf '\177\214\214\r\nu\r\n' >"$stage/reading.boa"
        found=$(XDG_CURRENT_DESKTOP=X-Generic XDG_DATA_HOME="$stage/nowhere" XDG_DATA_DIRS="$stage/usr/share" \
            xdg-mime query filetype "$stage/reading.boa")
        [ "$found" = "$type" ] || { echo "a .boa file resolves to '$found', not $type"; status=1; }
    else
        echo "xdg-mime or mimetype not installed: .boa file type not resolved"
    fi
else
    echo "update-mime-database not installed: MIME file not checked"
fi

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
if command -v lintian >/dev/null 2>&1 && command -v dpkg-shlibdeps >/dev/null 2>&1; then
    report=$(cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$stage/deb" 2>&1) \
        || { echo "$report"; exit 1; }
    if ! report=$(lintian --fail-on error,warning "$stage"/deb/*.deb 2>&1); then
        echo "$report"
        echo "lintian found errors or warnings"
        status=1
    fi
else
    echo "lintian or dpkg-shlibdeps not installed: Debian package not checked"
fi

[ $status -eq 0 ] && echo "install layout OK"
exit $status
