# SPDX-License-Identifier: GPL-3.0-or-later
# The libraries of the Windows build, built static from Debian's sources by tools/windows/build-deps.sh into
# GW_WIN_PREFIX, under the names the Linux build gives the system's ones.
if(NOT GW_WIN_PREFIX OR NOT EXISTS ${GW_WIN_PREFIX}/lib/libxmp.a)
  message(FATAL_ERROR "GW_WIN_PREFIX must name the libraries made by tools/windows/build-deps.sh")
endif()
list(PREPEND CMAKE_PREFIX_PATH ${GW_WIN_PREFIX})
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
find_package(freetype REQUIRED CONFIG)
find_package(CURL REQUIRED CONFIG)
find_library(GW_XMP_LIBRARY NAMES libxmp.a PATHS ${GW_WIN_PREFIX}/lib NO_DEFAULT_PATH REQUIRED)

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static)
target_include_directories(PkgConfig::SDL2 INTERFACE ${GW_WIN_PREFIX}/include/SDL2)
add_library(PkgConfig::FREETYPE INTERFACE IMPORTED)
target_link_libraries(PkgConfig::FREETYPE INTERFACE freetype)
add_library(PkgConfig::CURL INTERFACE IMPORTED)
target_link_libraries(PkgConfig::CURL INTERFACE CURL::libcurl)
add_library(PkgConfig::XMP INTERFACE IMPORTED)
target_link_libraries(PkgConfig::XMP INTERFACE ${GW_XMP_LIBRARY})
target_include_directories(PkgConfig::XMP INTERFACE ${GW_WIN_PREFIX}/include)
target_compile_definitions(PkgConfig::XMP INTERFACE BUILDING_STATIC)
# The static zlib by its own name, so no DLL's import library can stand in for it.
find_library(GW_ZLIB_LIBRARY NAMES libzlibstatic.a PATHS ${GW_WIN_PREFIX}/lib NO_DEFAULT_PATH REQUIRED)
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${GW_ZLIB_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${GW_WIN_PREFIX}/include)

# One program file with no runtime beside it: the compiler's own libraries are linked in too.
add_link_options(-static -static-libgcc -static-libstdc++)
# The core's arithmetic as on Linux: no fused multiply-adds where the source has none.
add_compile_options(-ffp-contract=off)
add_link_options($<$<NOT:$<CONFIG:Debug>>:-s>)  # what ships carries no symbols
