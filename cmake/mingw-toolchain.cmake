# Shared part of the mingw-w64 cross toolchains. The including file sets
# ORVANDEL_MINGW_TRIPLE (i686-w64-mingw32 or x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
# The POSIX thread model: GoogleTest needs std::mutex, which the win32
# thread model of GCC 12 lacks. With -static the thread library is linked in.
set(CMAKE_C_COMPILER ${ORVANDEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANDEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANDEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANDEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
