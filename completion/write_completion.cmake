# cmake -DSCRIPT=FILE -DOUTPUT=FILE "-DPROGRAMS=P1;P2..." -P write_completion.cmake:
# writes OUTPUT, the completion script SCRIPT followed by the tables that
# each program prints with --completion-data.
file(READ ${SCRIPT} completion)
string(APPEND completion "\n# The programs' tables of options, from --completion-data.\n")
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${program} --completion-data
    OUTPUT_VARIABLE rows RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} --completion-data failed: ${status}")
  endif()
  string(APPEND completion "${rows}")
endforeach()
file(WRITE ${OUTPUT} "${completion}")
