# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building for 64-bit Windows with Debian's MinGW-w64. The posix flavour of the compiler, because the game
# uses std::thread; GW_WIN_PREFIX is where the dependencies built for Windows lie.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(GW_WIN_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GW_WIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GW_WIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GW_WIN_TRIPLE}-windres)
set(CMAKE_AR ${GW_WIN_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${GW_WIN_TRIPLE}-ranlib CACHE FILEPATH "")
if(DEFINED ENV{GW_WIN_PREFIX})
  set(GW_WIN_PREFIX $ENV{GW_WIN_PREFIX} CACHE PATH "Dependencies built for Windows")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${GW_WIN_TRIPLE} ${GW_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
