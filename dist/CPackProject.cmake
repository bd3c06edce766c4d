# Read by cpack: a Debian package lives under /usr, and the paths inside its files (the unit's ExecStart, the
# manual pages) come from the configured prefix, so the build must have been configured for /usr.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "Debian packages need a build configured with -DCMAKE_INSTALL_PREFIX=/usr "
                      "(this one is for ${CPACK_PACKAGING_INSTALL_PREFIX})")
endif()
