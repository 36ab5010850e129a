#!/usr/bin/env bash
# Checks the Windows program's folder: every DLL that the executable and each deployed DLL
# import is deployed beside it or is a DLL that every Windows 7 SP1 or later has; every deployed
# DLL is imported by something deployed or is a Qt plug-in; no test or debug build, and no debug
# section, is shipped.
# Usage: windows_deploy_check.sh FOLDER | BUILD_DIR   (a build folder is installed first)
set -euo pipefail
target=$1
source "$(dirname "$0")/common/windows.sh"
if [ -f "$target/CMakeCache.txt" ]; then
    stage=$(mktemp -d)
    trap 'rm -rf "$stage"' EXIT
    cmake --install "$target" --prefix "$stage" >/dev/null
    target=$stage
fi
cd "$target"
[ -f bodyastro.exe ] || { echo "FAIL: no bodyastro.exe in $target"; exit 1; }
# The binutils of the executable's architecture; the manifest must name the same one.
arch=$(pe_arch bodyastro.exe) || { echo "FAIL: bodyastro.exe is not a Windows program"; exit 1; }
case $arch in
    x64) objdump=x86_64-w64-mingw32-objdump manifest_arch=amd64 ;;
    x86) objdump=i686-w64-mingw32-objdump manifest_arch=x86 ;;
esac
objdump=${OBJDUMP:-$objdump}

# What Windows itself provides, in lower case.
system=" advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll d2d1.dll d3d11.dll d3d9.dll
dnsapi.dll dwmapi.dll dwrite.dll dxgi.dll gdi32.dll imm32.dll iphlpapi.dll kernel32.dll mpr.dll
msvcrt.dll netapi32.dll ntdll.dll ole32.dll oleaut32.dll opengl32.dll secur32.dll setupapi.dll
shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll winmm.dll winspool.drv
ws2_32.dll wtsapi32.dll "
system=$(echo $system | tr ' ' '\n' | sed 's/^/ /; s/$/ /' | tr -d '\n')

status=0
# A GUI program (no console window opens), with its manifest and version information.
[[ $("$objdump" -p bodyastro.exe) == *"(Windows GUI)"* ]] || { echo "FAIL: bodyastro.exe is not a GUI program"; status=1; }
grep -q '<dpiAwareness[^>]*>PerMonitor<' bodyastro.exe || { echo "FAIL: no DPI-aware manifest in bodyastro.exe"; status=1; }
grep -qa "<assemblyIdentity [^>]*processorArchitecture=\"$manifest_arch\"" bodyastro.exe ||
    { echo "FAIL: the manifest of the $arch bodyastro.exe does not name $manifest_arch"; status=1; }
[[ $(strings -el bodyastro.exe) == *"Corvane Body Astrology"* ]] || { echo "FAIL: no version information in bodyastro.exe"; status=1; }
mapfile -t files < <(find . -type f \( -iname '*.exe' -o -iname '*.dll' \) | sed 's|^\./||' | sort)
# Debug sections are for the build folder, not for a download.
for file in "${files[@]}"; do
    if "$objdump" -h "$file" | grep -q ' \.debug_'; then
        echo "FAIL: $file carries debug sections"
        status=1
    fi
done
deployed=" "
for file in "${files[@]}"; do
    deployed+="$(basename "$file" | tr 'A-Z' 'a-z') "
done
imported=" "
for file in "${files[@]}"; do
    for dll in $("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        imported+="$dll "
        if [[ $deployed != *" $dll "* && $system != *" $dll "* ]]; then
            echo "FAIL: $file imports $dll, which is neither deployed nor part of Windows"
            status=1
        fi
    done
done
for file in "${files[@]}"; do
    name=$(basename "$file" | tr 'A-Z' 'a-z')
    case $name in
        bodyastro.exe) continue ;;
        qt5test*.dll | qt6test*.dll | tst_*.exe | bodyastro_scripted.exe | qt[56]*d.dll)
            echo "FAIL: $file is a test or debug build"; status=1; continue ;;
    esac
    # Qt loads plug-ins from their folders by itself; any other DLL must be imported.
    if [[ $file != */* && $imported != *" $name "* ]]; then
        echo "FAIL: $file is deployed but nothing imports it"
        status=1
    fi
done
if [ $status -eq 0 ]; then
    echo "windows folder ($arch): ${#files[@]} files, every import satisfied, nothing extra"
fi
exit $status
