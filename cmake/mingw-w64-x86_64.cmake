# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, so that
# std::thread works), and runs what it builds under Wine: CTest's tests and the tests'
# discovery go through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NIMBREL_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NIMBREL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBREL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBREL_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NIMBREL_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and the thread library linked in, so that a program needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's wine64 package has no "wine" on the PATH; the "wine" package adds one.
find_program(NIMBREL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(NIMBREL_WINE)
    # A Wine prefix of the build's own, which asks for neither Mono nor Gecko and logs nothing.
    set(CMAKE_CROSSCOMPILING_EMULATOR
        /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml= ${NIMBREL_WINE})
endif()
