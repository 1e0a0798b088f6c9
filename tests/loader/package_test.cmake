# Installs the loader component to a fresh prefix, then builds and runs a tiny C consumer that
# finds it with find_package(spritebake), and compiles it again with pkg-config's flags.
# Arguments: SOURCE_DIR, BUILD_DIR, WORK_DIR, C_COMPILER, GENERATOR.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix "${WORK_DIR}/prefix")
set(consumer "${SOURCE_DIR}/tests/loader/consumer")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}" --component loader)

foreach(expected include/spritebake/spritebake.h share/pkgconfig/spritebake.pc)
  if(NOT EXISTS "${prefix}/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
file(GLOB_RECURSE config "${prefix}/*/spritebakeConfig.cmake")
file(GLOB_RECURSE version "${prefix}/*/spritebakeConfigVersion.cmake")
if(NOT config OR NOT version)
  message(FATAL_ERROR "the CMake package files were not installed")
endif()

run("${CMAKE_COMMAND}" -S "${consumer}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_PREFIX_PATH=${prefix}")
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/consumer")

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} "${prefix}/share/pkgconfig")
  run("${PKG_CONFIG}" --cflags spritebake)
  string(STRIP "${last_output}" cflags)
  string(REGEX REPLACE "^-I" "" include_dir "${cflags}")
  file(REAL_PATH "${include_dir}" include_dir)
  file(REAL_PATH "${prefix}/include" expected_dir)
  if(NOT include_dir STREQUAL expected_dir)
    message(FATAL_ERROR "pkg-config gave '${cflags}', not the folder ${expected_dir}")
  endif()
  separate_arguments(cflags_list UNIX_COMMAND "${cflags}")
  run("${C_COMPILER}" -std=c99 -Wall -Wextra -Werror -pedantic ${cflags_list}
      "${consumer}/consumer.c" -o "${WORK_DIR}/consumer_pc")
  run("${WORK_DIR}/consumer_pc")
else()
  message(STATUS "pkg-config not found: its check is skipped")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
