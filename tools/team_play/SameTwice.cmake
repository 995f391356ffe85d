# Plays the kick-about twice from one seed (SEED, 3 if unset) and fails unless both runs print
# the same story. SECOND is added to the second run's arguments: "--ends" plays it with the
# sides at each other's end, which must change nothing but the end.
if(NOT DEFINED SEED)
  set(SEED 3)
endif()
separate_arguments(second UNIX_COMMAND "${SECOND}")
foreach(run 1 2)
  set(extra)
  if(run EQUAL 2)
    set(extra ${second})
  endif()
  execute_process(COMMAND ${TEAM_PLAY} ${STAGE} --seconds 40 --seed ${SEED} --events ${extra}
                  OUTPUT_VARIABLE out${run} RESULT_VARIABLE rc${run})
  if(NOT rc${run} EQUAL 0)
    message(FATAL_ERROR "team_play run ${run} failed:\n${out${run}}")
  endif()
endforeach()
if(NOT out1 STREQUAL out2)
  message(FATAL_ERROR "two runs with one seed differ (the second with '${SECOND}'):\n${out1}\n----\n${out2}")
endif()
string(REGEX MATCHALL "\n" lines "${out1}")
list(LENGTH lines count)
message(STATUS "two runs with one seed printed the same ${count} lines")
