# Cross build for 64-bit Windows with mingw-w64: the same code, for running
# the tests under wine64 (32-bit programs cannot run on the build machine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-comum.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
