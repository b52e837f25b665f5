# Installs the build into a fresh prefix, then configures, builds and runs a
# consumer project that finds it with find_package(tavlo).
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
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build
                        -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "consumer configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "consumer build failed")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer OUTPUT_VARIABLE out RESULT_VARIABLE failed)
set(expected "\nTagname : INSTALLED\nStatus is SUSPECT (-3)\nFacility=1\nDriver Status=2\n")
if(failed OR NOT out STREQUAL expected)
  message(FATAL_ERROR "consumer printed [${out}], status ${failed}")
endif()
# The installed receiver finds its libraries on its own.
execute_process(COMMAND ${prefix}/bin/tavlo_t_receiver --version RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installed receiver does not run")
endif()
