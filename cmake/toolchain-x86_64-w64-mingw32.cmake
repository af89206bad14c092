# 64-bit Windows. Tests run under wine64 in a Wine prefix of the build's
# own; they need an X display (DISPLAY), for the windows and boxes.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORVANDEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
