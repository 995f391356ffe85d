# Runs a tool on the stage less one file; passes only when the tool fails and names what it
# could not read, on a line of its own:
#   cmake -DSTAGE=<stage> -DWORK=<scratch folder> -DMISSING=<path in the stage> -DEXPECT=<regex>
#         -DPROGRAM=<program> [-DBEFORE=<arguments before the folder>] [-DAFTER=<after it>]
#         -P WithoutFile.cmake
# The arguments are split at spaces.

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
string(REPLACE "/" ";" path "${MISSING}")
link_all_but(${STAGE} ${WORK} "${path}")
separate_arguments(before UNIX_COMMAND "${BEFORE}")
separate_arguments(after UNIX_COMMAND "${AFTER}")
execute_process(COMMAND ${PROGRAM} ${before} ${WORK} ${after} OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${BEFORE} ran on without ${MISSING}")
endif()
if(NOT err MATCHES "${EXPECT}[^\n]*\n")
  message(FATAL_ERROR "${PROGRAM} ${BEFORE} failed without naming the missing file:\n${err}")
endif()
