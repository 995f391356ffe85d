# Plays on a stage whose first level has no settings file: the run must say so and fail, not
# play on without them.

# Links each entry of the folder from into the folder to, except the next one on the path,
# which becomes a folder of its own, down to the file at its end, which is left out.
function(link_all_but from to path)
  file(MAKE_DIRECTORY ${to})
  list(POP_FRONT path next)
  file(GLOB entries RELATIVE ${from} ${from}/*)
  foreach(entry ${entries})
    if(NOT entry STREQUAL next)
      file(CREATE_LINK ${from}/${entry} ${to}/${entry} SYMBOLIC)
    elseif(path)
      link_all_but(${from}/${entry} ${to}/${entry} "${path}")
    endif()
  endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK})
link_all_but(${STAGE} ${WORK} "data;pc;level01;settings;level;level.txt")
execute_process(COMMAND ${TEAM_PLAY} ${WORK} --seconds 5 OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "team_play played without the level's settings")
endif()
if(NOT err MATCHES "cannot read <SP>level")
  message(FATAL_ERROR "team_play failed without naming the missing file:\n${err}")
endif()
