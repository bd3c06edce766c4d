# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program's resources and what a player downloads: the portable zip and the installer.

# Resources: the icon made of the rendered sizes, the version information and the manifest.
string(REPLACE "." "," GW_RC_VERSION_COMMAS "${PROJECT_VERSION},0")
set(GW_RC_VERSION "${PROJECT_VERSION}.0")
set(GW_WIN_ICON ${CMAKE_BINARY_DIR}/generated/gromwumbler.ico)
set(GW_WIN_MANIFEST ${CMAKE_BINARY_DIR}/generated/gromwumbler.manifest)
set(GW_WIN_ICON_SIZES 16 24 32 48 64 128 256)
set(GW_WIN_ICON_PNGS "")
foreach(size ${GW_WIN_ICON_SIZES})
  list(APPEND GW_WIN_ICON_PNGS ${GW_ICON_DIR}/${size}.png)
endforeach()
add_custom_command(OUTPUT ${GW_WIN_ICON}
  COMMAND convert ${GW_WIN_ICON_PNGS} ${GW_WIN_ICON}
  DEPENDS ${GW_WIN_ICON_PNGS}
  COMMENT "Packing the icon (ImageMagick)")
configure_file(dist/windows/gromwumbler.manifest ${GW_WIN_MANIFEST} @ONLY)
configure_file(dist/windows/gromwumbler.rc.in ${CMAKE_BINARY_DIR}/generated/gromwumbler.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/gromwumbler.rc PROPERTIES
  OBJECT_DEPENDS "${GW_WIN_ICON};${GW_WIN_MANIFEST}")
target_sources(gromwumbler PRIVATE ${CMAKE_BINARY_DIR}/generated/gromwumbler.rc)
set_target_properties(gromwumbler PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(gromwumbler PRIVATE SDL2::SDL2main)

# The font the game draws with ships beside the program, with its licence.
set(GW_FONT_FILE /usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf CACHE FILEPATH "The stand-in face (fonts-comfortaa)")
set(GW_FONT_LICENCE /usr/share/doc/fonts-comfortaa/OFL.txt.gz CACHE FILEPATH "Its licence")
configure_file(${GW_FONT_FILE} ${GW_GAME_DIR}/Comfortaa-Bold.ttf COPYONLY)
execute_process(COMMAND gzip -dc ${GW_FONT_LICENCE} OUTPUT_FILE ${GW_GAME_DIR}/OFL.txt RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot unpack ${GW_FONT_LICENCE}")
endif()
configure_file(dist/windows/ReadMe.txt ${GW_GAME_DIR}/ReadMe.txt @ONLY)
configure_file(COPYING ${GW_GAME_DIR}/COPYING.txt COPYONLY)

# The downloads, in the build folder: `cmake --build build-win --target gw_downloads`.
set(GW_WIN_NAME GromWumbler-${PROJECT_VERSION})
set(GW_ZIP ${CMAKE_BINARY_DIR}/${GW_WIN_NAME}-win64.zip)
set(GW_SETUP ${CMAKE_BINARY_DIR}/${GW_WIN_NAME}-setup.exe)
set(GW_PORTABLE_FILES gromwumbler.exe Comfortaa-Bold.ttf OFL.txt COPYING.txt ReadMe.txt moregames.url Data/Data.pp
  sound/1.xm sound/2.xm)
add_custom_command(OUTPUT ${GW_ZIP}
  COMMAND ${CMAKE_COMMAND} -DGAME=${GW_GAME_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/stage/${GW_WIN_NAME}
          "-DFILES=${GW_PORTABLE_FILES}" -DOUT=${GW_ZIP} -P ${PROJECT_SOURCE_DIR}/dist/windows/MakeZip.cmake
  DEPENDS gromwumbler gw_data ${PROJECT_SOURCE_DIR}/dist/windows/MakeZip.cmake
  COMMENT "Packing ${GW_WIN_NAME}-win64.zip"
  VERBATIM)
configure_file(dist/windows/installer.nsi.in ${CMAKE_BINARY_DIR}/installer.nsi @ONLY)
add_custom_command(OUTPUT ${GW_SETUP}
  COMMAND makensis -V2 -INPUTCHARSET UTF8 ${CMAKE_BINARY_DIR}/installer.nsi
  DEPENDS gromwumbler gw_data ${CMAKE_BINARY_DIR}/installer.nsi
  COMMENT "Making ${GW_WIN_NAME}-setup.exe"
  VERBATIM)
add_custom_target(gw_downloads ALL DEPENDS ${GW_ZIP} ${GW_SETUP})
