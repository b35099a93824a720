# The sample disc as the menu finds it: the files of disc/ that belong on a disc, with the built
# installer stand-ins in place of the installers. `cmake --build <build> --target
# sample_disc` stages it in <build>/disc (LUMARC_SAMPLE_DISC below), for the build's own system:
# Linux programs in a Linux build, Windows programs in a Windows build. The script and notes of
# disc/ (make-pictures.sh, README.md) stay off the disc.
set(LUMARC_SAMPLE_DISC ${PROJECT_BINARY_DIR}/disc)
set(LUMARC_SAMPLE_DISC ${LUMARC_SAMPLE_DISC} PARENT_SCOPE)

set(disc_source ${PROJECT_SOURCE_DIR}/disc)
file(GLOB pictures CONFIGURE_DEPENDS ${disc_source}/brivant/*.dat)
set(disc_files manual.pdf config.sys autoexec.bat brivant.res)
list(TRANSFORM disc_files PREPEND ${disc_source}/)

set(stamp ${CMAKE_CURRENT_BINARY_DIR}/sample_disc.stamp)
add_custom_command(OUTPUT ${stamp}
  # Staged afresh each time, so that nothing removed from the disc lingers in the copy.
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${LUMARC_SAMPLE_DISC}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMARC_SAMPLE_DISC}/brivant
                                             ${LUMARC_SAMPLE_DISC}/acrobat
  COMMAND ${CMAKE_COMMAND} -E copy ${disc_files} ${LUMARC_SAMPLE_DISC}
  COMMAND ${CMAKE_COMMAND} -E copy ${pictures} ${LUMARC_SAMPLE_DISC}/brivant
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stand_in_setup> ${LUMARC_SAMPLE_DISC}/setup.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stand_in_reader_setup>
                                   ${LUMARC_SAMPLE_DISC}/acrobat/ar40eng.exe
  COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
  DEPENDS ${pictures} ${disc_files} stand_in_setup stand_in_reader_setup
  COMMENT "Staging the sample disc in ${LUMARC_SAMPLE_DISC}"
  VERBATIM)
add_custom_target(sample_disc ALL DEPENDS ${stamp})
