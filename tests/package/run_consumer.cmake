# Builds the consumer project against the image library and runs it on one picture.
# cmake -D MODE=installed|subdirectory -D LUMARC_SOURCE_DIR=... -D LUMARC_BUILD_DIR=...
#       -D WORK_DIR=... -D PICTURE=... -D EXPECTED=... [-D GENERATOR=... -D CXX_COMPILER=...
#       -D BUILD_TYPE=... -D CXX_FLAGS=... -D LINKER_FLAGS=...] -P run_consumer.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "failed (${result}): ${command}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(consumer_options
  -G ${GENERATOR}
  -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  # The library may carry the sanitizers of the build that tests it; the consumer must link them.
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")

if(MODE STREQUAL "installed")
  run(${CMAKE_COMMAND} --install ${LUMARC_BUILD_DIR} --prefix ${WORK_DIR}/prefix
      --component imaging)
  foreach(installed include/lumarc/jpeg_decoder.h include/lumarc/bitmap_image.h)
    if(NOT EXISTS ${WORK_DIR}/prefix/${installed})
      message(FATAL_ERROR "not installed: ${installed}")
    endif()
  endforeach()
  list(APPEND consumer_options -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix)
elseif(MODE STREQUAL "subdirectory")
  list(APPEND consumer_options -DLUMARC_SOURCE_DIR=${LUMARC_SOURCE_DIR})
else()
  message(FATAL_ERROR "MODE must be installed or subdirectory")
endif()

run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/consumer -B ${WORK_DIR}/build
    ${consumer_options})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build --target consumer --parallel 2)
run(${WORK_DIR}/build/consumer ${PICTURE})
if(NOT last_output MATCHES "${EXPECTED}")
  message(FATAL_ERROR "consumer printed '${last_output}', expected '${EXPECTED}'")
endif()
message(STATUS "${last_output}")
