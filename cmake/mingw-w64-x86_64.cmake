# Cross-building for 64-bit Windows with Debian's mingw-w64. The -posix
# compilers are the ones whose C++ library has std::thread and friends.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZMT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZMT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZMT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZMT_MINGW_TRIPLE}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZMT_MINGW_TRIPLE})
# Build tools come from the host; libraries, headers and packages only from
# the Windows side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
