# Lists the dynamic symbols LIBRARY defines and compares them with the nine
# functions of the client library's interface.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n ]+\n" lines "${symbols}")
set(defined "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" name)
  list(APPEND defined "${name}")
endforeach()
list(SORT defined)
set(expected TAVLO_CLIENT_CONNECT TAVLO_CLIENT_EXIT TAVLO_CLIENT_INIT TAVLO_CLIENT_INITBLK
    TAVLO_CLIENT_LDBLK TAVLO_CLIENT_LOCALTIME TAVLO_CLIENT_LOGBLK TAVLO_CLIENT_READ
    TAVLO_SERVER_INITBLK)
if(NOT defined STREQUAL expected)
  message(FATAL_ERROR "exported: ${defined}\nexpected: ${expected}")
endif()
message(STATUS "exports: ${defined}")
