#!/usr/bin/env bash
# Holds the layering: app -> ui -> storage -> core, and the two windows never include each
# other. Also every project include is written from the repository root.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0

# forbid FOLDER PATTERN WHY: fails on any include in FOLDER that matches PATTERN.
forbid() {
    local hits
    hits=$(grep -rnE --include='*.h' --include='*.cpp' "^#include [<\"]($2)" "$1" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$3:"
        echo "$hits"
        status=1
    fi
}

forbid core 'Q|storage/|ui/|app/' "core/ is standard C++ and the bottom layer"
forbid storage 'ui/|app/|QtWidgets|QWidget|QDialog|QMessageBox' "storage/ stands on core/ and Qt Core only"
forbid ui 'app/' "ui/ must not reach up into the shell"
forbid ui/input 'ui/result/|ui/about/' "the input window must not include another window"
forbid ui/result 'ui/input/|ui/about/' "the result window must not include another window"

# Bare includes of the project's own headers (the generated ui_*.h and *.moc aside).
bare=$(grep -rnE --include='*.h' --include='*.cpp' '^#include "[^/"]+"' core storage ui app tests bench fuzz \
    | grep -vE '#include "(ui_[a-z]+\.h|[a-z_]+\.moc)"')
if [ -n "$bare" ]; then
    echo "includes must name their folder from the repository root:"
    echo "$bare"
    status=1
fi

[ $status -eq 0 ] && echo "layers: every include points down, none between the windows"
exit $status
