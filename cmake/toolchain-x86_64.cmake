# 64-bit Windows: Korvex.wdx64 and the test programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KX_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
