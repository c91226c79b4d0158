# 64-bit Windows. Wine runs its programs with the 64-bit loader.
set(LLMBRIDGE_MINGW_ARCH x86_64)
set(LLMBRIDGE_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
