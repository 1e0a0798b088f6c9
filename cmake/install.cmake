# `cmake --install build --prefix P` puts the tool in P/bin and its manual page in
# P/share/man/man1; `cpack -G DEB` in the build folder packs the same into a Debian package.
include(GNUInstallDirs)

install(TARGETS spritebake RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/man/spritebake.1"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

set(CPACK_PACKAGE_NAME "spritebake")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The spritebake developers")
set(CPACK_PACKAGE_CONTACT "The spritebake developers <spritebake@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Builds sprite sets (info file or single sprite file) for games")
set(CPACK_PACKAGE_DESCRIPTION "spritebake reads a control file that lists TGA and 8-bit PCX \
pictures, crops each to its visible pixels, places its hotspot and writes one output file that a \
game loads.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
# dpkg-shlibdeps works out the library dependencies where it is installed (dpkg-dev); without
# it the C and C++ runtimes, zlib (the PNG reader's), libspng (the PNG writer's) and xxHash (the
# atlas's) are named by hand.
find_program(SPRITEBAKE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SPRITEBAKE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, zlib1g, libspng0, libxxhash0")
endif()
include(CPack)
