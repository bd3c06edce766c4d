# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian packages.
#   cmake --install build --prefix DIR   the game in DIR/bin, its pictures and songs in DIR/share/gromwumbler
#                                        (DIR/games and DIR/share/games/gromwumbler with GW_GAMES_LAYOUT),
#                                        the menu entry, icons, AppStream file, manual pages; the score server
#                                        and its systemd unit beside it
#   cd build && cpack -G DEB             gromwumbler_<version>_<arch>.deb (the program), gromwumbler-data_<...>_all.deb
#                                        (its pictures, songs and icons) and gromwumbler-scores_<...>.deb, from a
#                                        build configured with -DCMAKE_INSTALL_PREFIX=/usr -DGW_GAMES_LAYOUT=ON
# The installed game finds its data relative to its own folder, so the tree may be moved as a whole.

set(GW_DIST_DIR ${PROJECT_SOURCE_DIR}/dist/linux)
set(GW_DIST_OUT ${CMAKE_BINARY_DIR}/dist)
set(GW_MAINTAINER "Grom Wumbler maintainers <maintainers@users.noreply.c-seed-131633e2.example>")
set(GW_SYSTEMD_UNITDIR lib/systemd/system CACHE STRING "Where the score server's unit is installed, under the prefix")
set(GW_WEB_PLAY "" CACHE PATH "The browser build's play folder (build-web/play), for the score server's package to \
serve at /play/; empty for none")
set(GW_SERVER_PLAYDIR ${CMAKE_INSTALL_DATADIR}/gromwumbler-scores/play)
set(GW_SERVE_PLAY OFF)
if(GW_WEB_PLAY)
  if(NOT EXISTS ${GW_WEB_PLAY}/index.html)
    message(FATAL_ERROR "GW_WEB_PLAY must name a browser build's play folder (bash setup.sh web makes build-web/play)")
  endif()
  set(GW_SERVE_PLAY ON)
endif()

if(NOT GW_RELEASE_DATE MATCHES "^[0-9]+-[0-9]+-[0-9]+$")
  message(FATAL_ERROR "GW_RELEASE_DATE must be YYYY-MM-DD")
endif()

# Texts that carry the version or the score settings.
configure_file(${GW_DIST_DIR}/metainfo.xml.in ${GW_DIST_OUT}/${GW_APP_ID}.metainfo.xml @ONLY)
configure_file(${GW_DIST_DIR}/changelog.in ${GW_DIST_OUT}/changelog @ONLY)
# The changelog goes in compressed, without a time stamp, so the package is reproducible.
execute_process(COMMAND gzip -9 -n -c INPUT_FILE ${GW_DIST_OUT}/changelog OUTPUT_FILE ${GW_DIST_OUT}/changelog.gz
                RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "cannot compress the changelog")
endif()
# Texts that name installed paths (the menu entry's command, the manual pages, the unit's ExecStart) are made
# while installing, for the prefix installed to.
configure_file(${PROJECT_SOURCE_DIR}/dist/InstalledTexts.cmake.in ${GW_DIST_OUT}/InstalledTexts.cmake @ONLY)
function(gw_install_texts component)
  install(CODE "set(GW_TEXTS ${component})\ninclude(\"${GW_DIST_OUT}/InstalledTexts.cmake\")" COMPONENT ${component})
endfunction()
# A stripped program loses the compilers' notes in .comment too, as Debian's own packaging strips it.
function(gw_strip_comment component program)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
endif()" COMPONENT ${component})
endfunction()
# Every package carries the licence and the changelog in its own documentation folder.
function(gw_install_docs package component)
  install(FILES ${GW_DIST_DIR}/copyright ${GW_DIST_OUT}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

# ---- The game: the program and what names it ----------------------------------------------------------
install(TARGETS gromwumbler RUNTIME DESTINATION ${GW_INSTALL_GAMEBINDIR} COMPONENT game)
gw_strip_comment(game ${GW_INSTALL_GAMEBINDIR}/gromwumbler)
gw_install_texts(game)
install(FILES ${GW_DIST_OUT}/${GW_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
gw_install_docs(gromwumbler game)

# ---- Its data: the same on every machine ------------------------------------------------------------------
foreach(file ${GW_DATA_FILES})
  file(RELATIVE_PATH inGame ${GW_GAME_DIR} ${file})
  get_filename_component(folder ${inGame} DIRECTORY)
  install(FILES ${file} DESTINATION ${GW_INSTALL_GAMEDATADIR}/${folder} COMPONENT data)
endforeach()
foreach(size ${GW_ICON_SIZES})
  install(FILES ${GW_ICON_DIR}/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME gromwumbler.png COMPONENT data)
endforeach()
install(FILES ${GW_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT data)
gw_install_docs(gromwumbler-data data)

# ---- The score server ---------------------------------------------------------------------------------------
set(GW_COMPONENTS game data)
if(TARGET gromwumbler-scores)
  list(APPEND GW_COMPONENTS server)
  install(TARGETS gromwumbler-scores RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
  # The browser build, when one is given, goes with the server, whose unit serves it at /play/: in a package of
  # its own, as it is the same on every architecture.
  if(GW_SERVE_PLAY)
    list(APPEND GW_COMPONENTS web)
    install(DIRECTORY ${GW_WEB_PLAY}/ DESTINATION ${GW_SERVER_PLAYDIR} COMPONENT web)
    gw_install_docs(gromwumbler-scores-play web)
    install(FILES ${GW_DIST_DIR}/lintian/gromwumbler-scores-play DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            COMPONENT web)
  endif()
  gw_strip_comment(server ${CMAKE_INSTALL_BINDIR}/gromwumbler-scores)
  # What lintian says of the server that the package justifies.
  install(FILES ${GW_DIST_DIR}/lintian/gromwumbler-scores DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          COMPONENT server)
  gw_install_texts(server)
  gw_install_docs(gromwumbler-scores server)
endif()

# ---- Debian packages ----------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gromwumbler)
set(CPACK_PACKAGE_VENDOR "The Grom Wumbler developers")
set(CPACK_PACKAGE_CONTACT "${GW_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/dist/CPackProject.cmake)
set(CPACK_GW_GAMES_LAYOUT ${GW_GAMES_LAYOUT})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${GW_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME gromwumbler)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# Exactly the data of its own version; and the game's face, which fontconfig finds and nothing links.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "gromwumbler-data (= ${PROJECT_VERSION}), fonts-comfortaa")
# CPack indents the description's lines itself.
set(CPACK_COMPONENT_GAME_DESCRIPTION "arcade game: catch flying creatures with a tongue
Grom sits at the bottom of the field, his aim swings to and fro by itself,
and with one button he shoots his tongue to catch and eat one of the
creatures flying across. Every level asks for more points in a longer time;
a level that ends below its target ends the game. Each player keeps their
own settings and high-score table. All texts of the game are Russian.")

set(CPACK_DEBIAN_DATA_PACKAGE_NAME gromwumbler-data)
set(CPACK_DEBIAN_DATA_PACKAGE_SECTION games)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DATA_DESCRIPTION "arcade game: catch flying creatures with a tongue (data)
The pictures, songs and icons of Grom Wumbler, an arcade game in which Grom
shoots his tongue to catch and eat the creatures flying across the field.
This package holds the architecture-independent data; the game itself is in
the gromwumbler package.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME gromwumbler-scores)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${GW_DIST_DIR}/server-scripts/postinst ${GW_DIST_DIR}/server-scripts/prerm ${GW_DIST_DIR}/server-scripts/postrm)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "score server of the Grom Wumbler game
Receives the scores that players of Grom Wumbler send over plain HTTP, keeps
them in an SQLite database and shows the table of records as a web page.
Runs as a sandboxed systemd service under a user of its own.")
if(GW_SERVE_PLAY)
  set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "gromwumbler-scores-play (= ${PROJECT_VERSION})")
endif()

set(CPACK_DEBIAN_WEB_PACKAGE_NAME gromwumbler-scores-play)
set(CPACK_DEBIAN_WEB_PACKAGE_SECTION games)
set(CPACK_DEBIAN_WEB_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_WEB_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_WEB_DESCRIPTION "Grom Wumbler to play in a web browser, served by its score server
The arcade game Grom Wumbler built for web browsers (WebAssembly): its page,
code, pictures, songs and font, each file also compressed beforehand. The
score server of the gromwumbler-scores package serves it at /play/, and a
score made in the browser lands on the same table.")

include(CPack)
