# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack: a Debian package lives under /usr and keeps its game where Debian keeps games; where the program
# looks for its data is built into it, so the build must have been configured for both.
if(CPACK_GENERATOR STREQUAL "DEB" AND
   (NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr" OR NOT CPACK_GW_GAMES_LAYOUT))
  message(FATAL_ERROR "Debian packages need a build configured with "
                      "-DCMAKE_INSTALL_PREFIX=/usr -DGW_GAMES_LAYOUT=ON")
endif()
