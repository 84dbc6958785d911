# What both mingw-w64 cross builds share: the compilers of the toolchain of
# CMAKE_SYSTEM_PROCESSOR, set by the file that includes this one (the posix
# thread model, whose C++ runtime has std::thread), and its root.
set(CMAKE_SYSTEM_NAME Windows)
set(TALVOR_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVOR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TALVOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
