# The part of the Windows cross toolchains (mingw64.cmake, mingw32.cmake) that is the same for
# both: Debian's MinGW-w64 cross compiler with posix threads, the thread model Qt needs. The
# including file sets CMAKE_SYSTEM_PROCESSOR and BODYASTRO_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${BODYASTRO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BODYASTRO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BODYASTRO_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BODYASTRO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# The test programs built for Windows run on this machine through Wine (the loader that fits
# each program's architecture).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-run.sh)
