# Installs the build into a fresh prefix, then configures, builds and runs a
# consumer project and the example that find it with find_package(tavlo).
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "install failed")
endif()
foreach(installed bin/tavlo_t_receiver bin/tavlo_devsim bin/tavlo_define_tags
        bin/tavlo_check_tag_list include/tavlo.h include/tavlo_testsupport.h
        lib/cmake/tavlo/tavloConfig.cmake)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# Configures and builds the project in `source` against the prefix.
function(build_against_prefix source build)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${source} -B ${build}
                          -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "configure of ${source} failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "build of ${source} failed")
  endif()
endfunction()

build_against_prefix(${SOURCE_DIR} ${WORK_DIR}/build)
execute_process(COMMAND ${WORK_DIR}/build/consumer OUTPUT_VARIABLE out RESULT_VARIABLE failed)
set(expected "\nTagname : INSTALLED\nStatus is SUSPECT (-3)\nFacility=1\nDriver Status=2\n")
if(failed OR NOT out STREQUAL expected)
  message(FATAL_ERROR "consumer printed [${out}], status ${failed}")
endif()
# The installed receiver finds its libraries on its own, and its help names
# the JSON output's document where the install put it.
execute_process(COMMAND ${prefix}/bin/tavlo_t_receiver --version RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installed receiver does not run")
endif()
execute_process(COMMAND ${prefix}/bin/tavlo_t_receiver --help OUTPUT_VARIABLE help)
set(json_document ${prefix}/share/doc/tavlo-tools/json-output.md)
string(FIND "${help}" "\n  ${json_document}\n" named)
if(named EQUAL -1 OR NOT EXISTS ${json_document})
  message(FATAL_ERROR "the installed help does not name ${json_document}: [${help}]")
endif()

# The example, built as an engineer builds a test program, run against the
# simulated plant.
build_against_prefix(${EXAMPLES_DIR} ${WORK_DIR}/examples)
set(PROGRAM ${WORK_DIR}/examples/range_check)
set(LISTS ${EXAMPLES_DIR}/lists)
include(${CMAKE_CURRENT_LIST_DIR}/run_range_check.cmake)
