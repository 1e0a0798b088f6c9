# The loader library games include: one header, offered as the INTERFACE target
# spritebake::loader in the build tree, and installed with a CMake package and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

add_library(spritebake_loader INTERFACE)
add_library(spritebake::loader ALIAS spritebake_loader)
set_target_properties(spritebake_loader PROPERTIES EXPORT_NAME loader)
target_include_directories(spritebake_loader INTERFACE
  "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>"
  "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")

# The tool hashes names with the loader's implementation (filesys/loader_library.cpp).
target_link_libraries(sb_filesys PUBLIC spritebake_loader)

set(SPRITEBAKE_CMAKE_PACKAGE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/spritebake")
# A header-only library is the same on every architecture: its pkg-config file goes to datadir.
set(SPRITEBAKE_PKGCONFIG_DIR "${CMAKE_INSTALL_DATADIR}/pkgconfig")

install(FILES "${PROJECT_SOURCE_DIR}/include/spritebake/spritebake.h"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/spritebake" COMPONENT loader)
install(TARGETS spritebake_loader EXPORT spritebakeTargets COMPONENT loader)
install(EXPORT spritebakeTargets NAMESPACE spritebake:: FILE spritebakeTargets.cmake
        DESTINATION "${SPRITEBAKE_CMAKE_PACKAGE_DIR}" COMPONENT loader)

configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/spritebakeConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/spritebakeConfig.cmake"
  INSTALL_DESTINATION "${SPRITEBAKE_CMAKE_PACKAGE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/spritebakeConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}" COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES "${PROJECT_BINARY_DIR}/spritebakeConfig.cmake"
              "${PROJECT_BINARY_DIR}/spritebakeConfigVersion.cmake"
        DESTINATION "${SPRITEBAKE_CMAKE_PACKAGE_DIR}" COMPONENT loader)

# The .pc file finds the prefix from its own place, so an install under --prefix still works.
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  set(SPRITEBAKE_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(SPRITEBAKE_PC_INCLUDEDIR "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
else()
  file(RELATIVE_PATH pc_up "/p/${SPRITEBAKE_PKGCONFIG_DIR}" "/p")
  string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
  set(SPRITEBAKE_PC_PREFIX "\${pcfiledir}/${pc_up}")
  set(SPRITEBAKE_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file("${PROJECT_SOURCE_DIR}/cmake/spritebake.pc.in"
               "${PROJECT_BINARY_DIR}/spritebake.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/spritebake.pc"
        DESTINATION "${SPRITEBAKE_PKGCONFIG_DIR}" COMPONENT loader)

if(SPRITEBAKE_TESTS)
  add_subdirectory(tests/loader)
endif()
