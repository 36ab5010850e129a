# CMake toolchain for 64-bit Windows (x64) with Debian's MinGW-w64 cross compiler. Use with
# -DCMAKE_PREFIX_PATH=<Qt 5.15 built for it>, as scripts/build-windows.sh --arch x64 does.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BODYASTRO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
