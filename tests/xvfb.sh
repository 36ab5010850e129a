# Sourced by the Wine smoke and setup tests for start_xvfb, which now lives in the shared
# library of the scripts that drive the program (tests/common/gui.sh).
source "$(dirname "${BASH_SOURCE[0]}")/common/gui.sh"
