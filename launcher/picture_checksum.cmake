# The sampled checksum of the page pictures, shared by the menu and the picture-checksum tool
# (each includes this file; the guard defines the target once). Standard library only, so that
# it builds for the Windows target as well.
include_guard(GLOBAL)

add_library(lumarc_picture_checksum STATIC ${CMAKE_CURRENT_LIST_DIR}/picture_checksum.cpp)
target_include_directories(lumarc_picture_checksum PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_features(lumarc_picture_checksum PUBLIC cxx_std_20)
if(TARGET lumarc_warnings)
  target_link_libraries(lumarc_picture_checksum PRIVATE lumarc_warnings)
endif()
