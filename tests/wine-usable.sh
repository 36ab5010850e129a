#!/usr/bin/env bash
# Says whether this machine can run the 32-bit Windows programs under Wine: some kernels refuse
# every 32-bit executable (Wine's own 32-bit loader among them), and then no Windows test can run.
# Exit 0 when it can; else prints why and exits 1.
loader=/usr/lib/wine/wine   # Debian's wine32 loader
if ! command -v wine >/dev/null 2>&1 || [ ! -x "$loader" ]; then
    echo "Wine with its 32-bit loader is not installed (Debian: apt install wine wine32:i386)"
    exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
    echo "This machine cannot run 32-bit programs (its kernel refuses $loader: $("$loader" --version 2>&1 | tail -n 1)), so Wine cannot run the 32-bit Windows build here"
    exit 1
fi
