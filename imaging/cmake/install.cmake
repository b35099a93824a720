# Installs the image library as a CMake package, so that another project can write
#   find_package(Lumarc REQUIRED)
#   target_link_libraries(app PRIVATE Lumarc::imaging)
# after `cmake --install`. Projects that add this tree with add_subdirectory get the same
# Lumarc::imaging target from the alias and need none of this.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# A project that embeds this tree decides for itself whether to install the library with it.
option(LUMARC_INSTALL "Generate the install rules of the image library" ${PROJECT_IS_TOP_LEVEL})
if(NOT LUMARC_INSTALL)
  return()
endif()

set(lumarc_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Lumarc)

set_target_properties(lumarc_imaging PROPERTIES EXPORT_NAME imaging)
install(TARGETS lumarc_imaging EXPORT LumarcTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT imaging
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT imaging
    NAMELINK_COMPONENT imaging
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT imaging)
# The API headers only: internal/ is never installed.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/lumarc
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT imaging
  FILES_MATCHING PATTERN "*.h")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/include/lumarc/export.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumarc COMPONENT imaging)
install(EXPORT LumarcTargets NAMESPACE Lumarc::
  DESTINATION ${lumarc_config_dir} COMPONENT imaging)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/LumarcConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/LumarcConfig.cmake
  INSTALL_DESTINATION ${lumarc_config_dir})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/LumarcConfigVersion.cmake
  VERSION ${Lumarc_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LumarcConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/LumarcConfigVersion.cmake
  DESTINATION ${lumarc_config_dir} COMPONENT imaging)

# pkg-config, for builds that do not use CMake. The prefix is found from the file's own place,
# so that an install moved elsewhere (or made with --prefix) still describes itself.
file(RELATIVE_PATH lumarc_pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
if(BUILD_SHARED_LIBS)
  set(lumarc_pc_cflags "")
else()
  set(lumarc_pc_cflags " -DLUMARC_STATIC_DEFINE")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumarc.pc.in ${CMAKE_CURRENT_BINARY_DIR}/lumarc.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lumarc.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT imaging)
