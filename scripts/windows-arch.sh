# Sourced by the Windows scripts: takes "--arch x64|x86" from the front of their arguments (x64
# when absent) and names what differs between the two builds. The rest of the arguments are left
# in arch_rest.
arch=x64
arch_rest=("$@")
if [ "${1:-}" = "--arch" ]; then
    arch=${2:-}
    arch_rest=("${@:3}")
fi
case "$arch" in
    x64) bits=64 triplet=x86_64-w64-mingw32 deb_arch=x86-64 gcc_runtime_dll=libgcc_s_seh-1.dll ;;
    x86) bits=32 triplet=i686-w64-mingw32 deb_arch=i686 gcc_runtime_dll=libgcc_s_dw2-1.dll ;;
    *) echo "--arch takes x64 or x86, not '$arch'" >&2; exit 2 ;;
esac
