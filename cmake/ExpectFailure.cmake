# Runs a tool that must fail and say why on a line of its own; passes only then:
#   cmake -DPROGRAM=<program> [-DBEFORE=<arguments>] -DFOLDER=<folder> [-DAFTER=<arguments>]
#         -DEXPECT=<regex> [-DSTAGE=<stage> -DMISSING=<path in the stage>] -P ExpectFailure.cmake
# The arguments are split at spaces. With STAGE, the folder is made anew as the stage less the
# file MISSING.

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

if(STAGE)
  file(REMOVE_RECURSE ${FOLDER})
  string(REPLACE "/" ";" path "${MISSING}")
  link_all_but(${STAGE} ${FOLDER} "${path}")
endif()
separate_arguments(before UNIX_COMMAND "${BEFORE}")
separate_arguments(after UNIX_COMMAND "${AFTER}")
execute_process(COMMAND ${PROGRAM} ${before} ${FOLDER} ${after} OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${BEFORE} ran on with ${FOLDER}")
endif()
if(NOT err MATCHES "${EXPECT}[^\n]*\n")
  message(FATAL_ERROR "${PROGRAM} ${BEFORE} failed without saying \"${EXPECT}\":\n${err}")
endif()
