# Creates the options file with its defaults unless one is already there.
if(NOT EXISTS "${OPTIONS_FILE}")
  execute_process(COMMAND "${TOOL}" opcoes "${OPTIONS_FILE}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Não foi possível criar ${OPTIONS_FILE}")
  endif()
endif()
