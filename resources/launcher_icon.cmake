# The menu's application icon, drawn in launcher_icon.txt and generated at build time into
# launcher.ico, which launcher.rc carries: Explorer shows it for launcher.exe and, through the
# disc's autorun.inf, for the disc. Included by this folder's CMakeLists.txt after the cursor.
set(launcher_icon_picture ${CMAKE_CURRENT_LIST_DIR}/launcher_icon.txt)
set(launcher_icon_file ${CMAKE_CURRENT_BINARY_DIR}/launcher.ico)

add_custom_command(
  OUTPUT ${launcher_icon_file}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/make_icon.py ${launcher_icon_picture}
          --ico ${launcher_icon_file}
  DEPENDS ${launcher_icon_picture} ${CMAKE_CURRENT_LIST_DIR}/make_icon.py
          ${CMAKE_CURRENT_LIST_DIR}/text_picture.py
  COMMENT "Generating the application icon from launcher_icon.txt"
  VERBATIM)

# As with the cursor, one target runs the generator; tests find the file through its property.
# It is part of every build, since on Linux nothing else needs the icon.
add_custom_target(launcher_icon ALL DEPENDS ${launcher_icon_file})
set_property(TARGET launcher_icon PROPERTY LUMARC_ICON_FILE ${launcher_icon_file})

if(TARGET launcher_resources)
  # windres finds launcher.ico through the resources' include path, the build folder.
  set_property(SOURCE launcher.rc APPEND PROPERTY OBJECT_DEPENDS ${launcher_icon_file})
  add_dependencies(launcher_resources launcher_icon)
endif()
