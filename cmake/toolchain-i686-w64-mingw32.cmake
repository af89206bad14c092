# 32-bit Windows, the product's own platform. Built and linked here only:
# running it needs a 32-bit capable Windows (or Wine on a kernel that runs
# 32-bit code).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORVANDEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
