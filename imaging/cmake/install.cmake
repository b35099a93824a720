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
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT imaging)
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/lumarc
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT imaging
  FILES_MATCHING PATTERN "*.h")
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
