# Builds the consumer project against the image library and runs it on one picture.
# cmake -D MODE=installed|shared|subdirectory -D LUMARC_SOURCE_DIR=... -D LUMARC_BUILD_DIR=...
#       -D WORK_DIR=... -D PICTURE=... -D EXPECTED=... [-D GENERATOR=... -D CXX_COMPILER=...
#       -D OTHER_CXX_COMPILER=... -D PKG_CONFIG=... -D BUILD_TYPE=... -D CXX_FLAGS=...
#       -D LINKER_FLAGS=... -D COMPILER_LAUNCHER=...] -P run_consumer.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "failed (${result}): ${command}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output)
  if(NOT last_output MATCHES "${EXPECTED}")
    message(FATAL_ERROR "consumer printed '${last_output}', expected '${EXPECTED}'")
  endif()
  message(STATUS "${last_output}")
endfunction()

# What an install holds under include/ is the API and nothing else, and each header compiles on
# its own, also with the other compiler (no builtins or extensions of the one that built it).
function(check_installed_headers prefix)
  file(GLOB installed RELATIVE ${prefix}/include ${prefix}/include/*/*)
  list(SORT installed)
  set(api lumarc/bitmap_image.h lumarc/export.h lumarc/graphics_exception.h
          lumarc/image_decoder.h lumarc/jpeg_decoder.h)
  if(NOT installed STREQUAL api)
    message(FATAL_ERROR "installed headers: ${installed}\nexpected the API alone: ${api}")
  endif()
  if(NOT OTHER_CXX_COMPILER)
    message(STATUS "no second compiler: the headers are compiled by the building one only")
    return()
  endif()
  foreach(header ${installed})
    string(MAKE_C_IDENTIFIER ${header} name)
    file(WRITE ${WORK_DIR}/headers/${name}.cpp "#include <${header}>\n")
    run(${OTHER_CXX_COMPILER} -std=c++20 -Wall -Wextra -Wpedantic -Werror -fsyntax-only
        -I${prefix}/include ${WORK_DIR}/headers/${name}.cpp)
  endforeach()
  run(${OTHER_CXX_COMPILER} -std=c++20 -Wall -Wextra -Wpedantic -Werror -fsyntax-only
      -I${prefix}/include ${CMAKE_CURRENT_LIST_DIR}/consumer/main.cpp)
endfunction()

# The shared library carries a versioned SONAME and exports the API classes alone.
function(check_shared_library library)
  find_program(readelf readelf REQUIRED)
  find_program(nm nm REQUIRED)
  run(${readelf} -d ${library})
  if(NOT last_output MATCHES "SONAME[^\n]*\\[liblumarc_imaging\\.so\\.[0-9]+\\.[0-9]+\\]")
    message(FATAL_ERROR "no versioned SONAME in ${library}:\n${last_output}")
  endif()
  run(${nm} -D -C --defined-only ${library})
  set(exports "${last_output}")
  if(NOT exports MATCHES "Lumarc::JpegDecoder::ReadImageFile")
    message(FATAL_ERROR "the decoder's API is not exported:\n${exports}")
  endif()
  foreach(internal JpegReader HuffmanTable QuantizationTable ImageComponent InputByteStream
                   MarkerTrace InverseDct SetDecodePath)
    if(exports MATCHES "Lumarc::${internal}")
      message(FATAL_ERROR "${library} exports the internal Lumarc::${internal}")
    endif()
  endforeach()
endfunction()

# A build without CMake: the compile and link flags come from the pkg-config file alone.
function(build_with_pkg_config prefix libdir)
  if(NOT PKG_CONFIG)
    message(STATUS "no pkg-config: the pkg-config file is not tried")
    return()
  endif()
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig
      ${PKG_CONFIG} --cflags --libs lumarc)
  separate_arguments(pkg_flags UNIX_COMMAND "${last_output}")
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS} ${LINKER_FLAGS}")
  run(${CXX_COMPILER} -std=c++20 ${cxx_flags} ${CMAKE_CURRENT_LIST_DIR}/consumer/main.cpp
      ${pkg_flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/consumer-pkg-config)
  run(${WORK_DIR}/consumer-pkg-config ${PICTURE})
  expect_output()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(consumer_options
  -G ${GENERATOR}
  -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  # The library may carry the sanitizers of the build that tests it; the consumer must link them.
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
if(COMPILER_LAUNCHER)
  list(APPEND consumer_options "-DCMAKE_CXX_COMPILER_LAUNCHER=${COMPILER_LAUNCHER}")
endif()
set(prefix ${WORK_DIR}/prefix)

if(MODE STREQUAL "installed")
  run(${CMAKE_COMMAND} --install ${LUMARC_BUILD_DIR} --prefix ${prefix} --component imaging)
  check_installed_headers(${prefix})
  list(APPEND consumer_options -DCMAKE_PREFIX_PATH=${prefix})
elseif(MODE STREQUAL "shared")
  run(${CMAKE_COMMAND} -S ${LUMARC_SOURCE_DIR} -B ${WORK_DIR}/library ${consumer_options}
      "-DCMAKE_SHARED_LINKER_FLAGS=${LINKER_FLAGS}" -DBUILD_SHARED_LIBS=ON
      -DLUMARC_BUILD_TESTS=OFF -DLUMARC_INSTALL=ON)
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/library --target lumarc_imaging --parallel 2)
  run(${CMAKE_COMMAND} --install ${WORK_DIR}/library --prefix ${prefix} --component imaging)
  check_installed_headers(${prefix})
  file(GLOB library ${prefix}/lib*/liblumarc_imaging.so)
  if(NOT library)
    message(FATAL_ERROR "no liblumarc_imaging.so installed under ${prefix}")
  endif()
  check_shared_library(${library})
  get_filename_component(libdir ${library} DIRECTORY)
  build_with_pkg_config(${prefix} ${libdir})
  list(APPEND consumer_options -DCMAKE_PREFIX_PATH=${prefix})
elseif(MODE STREQUAL "subdirectory")
  list(APPEND consumer_options -DLUMARC_SOURCE_DIR=${LUMARC_SOURCE_DIR})
else()
  message(FATAL_ERROR "MODE must be installed, shared or subdirectory")
endif()

run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/consumer -B ${WORK_DIR}/build
    ${consumer_options})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build --target consumer --parallel 2)
run(${WORK_DIR}/build/consumer ${PICTURE})
expect_output()
