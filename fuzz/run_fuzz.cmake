# Runs one fuzzer for a few seconds on a scratch copy of its seed corpus; fails on any finding.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
if(EXISTS ${SEEDS})
  file(COPY ${SEEDS}/ DESTINATION ${WORK})
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -print_final_stats=1 ${WORK}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzer ${FUZZER} found a problem (exit ${result})")
endif()
