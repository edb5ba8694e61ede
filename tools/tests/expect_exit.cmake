# Shared by the command-line checks of the tools: runs PROGRAM with the given arguments and
# checks its exit code; a failure must explain itself in exactly one line on standard error.
function(expect_exit program code)
  execute_process(COMMAND "${program}" ${ARGN} RESULT_VARIABLE result OUTPUT_QUIET
                  ERROR_VARIABLE errors)
  string(STRIP "${errors}" errors)
  if(NOT result EQUAL code)
    message(SEND_ERROR "expected exit ${code}, got ${result}: ${ARGN}\n${errors}")
  elseif(NOT code EQUAL 0)
    if(errors STREQUAL "" OR errors MATCHES "\n")
      message(SEND_ERROR "expected a one-line message: ${ARGN}\n${errors}")
    endif()
  endif()
endfunction()
