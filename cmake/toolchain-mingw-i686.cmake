# 32-bit Windows (the product). Wine runs its programs with the 32-bit loader.
set(LLMBRIDGE_MINGW_ARCH i686)
set(LLMBRIDGE_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
