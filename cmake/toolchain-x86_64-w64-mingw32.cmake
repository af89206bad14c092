# 64-bit Windows. Tests run under wine64 in a Wine prefix of the build's
# own; the window tests also need an X display (DISPLAY).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORVANDEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix /usr/lib/wine/wine64)
