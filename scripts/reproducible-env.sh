# Sourced by the scripts that make release files, so that two builds of one commit give the same
# bytes whoever builds them, wherever, whenever: every date is the commit's, every tool works in
# UTC and the C locale, and new files get the same modes whatever the builder's umask.
# (The compilers' path maps and the linker's missing time stamp are in CMakeLists.txt.)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$(dirname "${BASH_SOURCE[0]}")/.." log -1 --format=%ct 2>/dev/null) || {
        echo "Not a git checkout: set SOURCE_DATE_EPOCH to the release's date (seconds since 1970)" >&2
        exit 1
    }
fi
# rcc stores each resource's modification time unless told otherwise.
export SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
