# Plays the kick-about twice from one seed and fails unless both runs print the same story.
foreach(run 1 2)
  execute_process(COMMAND ${TEAM_PLAY} ${STAGE} --seconds 40 --seed 3 --events
                  OUTPUT_VARIABLE out${run} RESULT_VARIABLE rc${run})
  if(NOT rc${run} EQUAL 0)
    message(FATAL_ERROR "team_play run ${run} failed:\n${out${run}}")
  endif()
endforeach()
if(NOT out1 STREQUAL out2)
  message(FATAL_ERROR "two runs with one seed differ:\n${out1}\n----\n${out2}")
endif()
string(REGEX MATCHALL "\n" lines "${out1}")
list(LENGTH lines count)
message(STATUS "two runs with one seed printed the same ${count} lines")
