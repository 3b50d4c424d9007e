# Cross build for 32-bit Windows (the shipped Install.exe) with Debian's
# mingw-w64, posix threading model. Runs under Wine's 32-bit half (wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
