# CMake toolchain for 32-bit Windows (x86) with Debian's MinGW-w64 cross compiler. Use with
# -DCMAKE_PREFIX_PATH=<Qt 5.15 built for it>, as scripts/build-windows.sh --arch x86 does.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BODYASTRO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
