# 32-bit Windows: Korvex.wdx.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KX_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
