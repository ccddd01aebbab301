# cmake -DPROGRAM=... -DINPUT=... -DEXPECTED=stem -DACTUAL=stem [-DSTANDARD_INPUT=ON] -P DecodeGolden.cmake
# Runs "PROGRAM decode INPUT" (or "decode -" with INPUT on standard input) and compares
# standard output and standard error with stem.out and stem.err. With the environment
# variable ORVANTA_UPDATE_GOLDEN set, writes the expected files instead.

if(STANDARD_INPUT)
  execute_process(COMMAND ${PROGRAM} decode - INPUT_FILE ${INPUT}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
else()
  execute_process(COMMAND ${PROGRAM} decode ${INPUT}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "decode ${INPUT} exited with ${status}:\n${err}")
endif()

if(DEFINED ENV{ORVANTA_UPDATE_GOLDEN})
  file(WRITE ${EXPECTED}.out "${out}")
  file(WRITE ${EXPECTED}.err "${err}")
  message(STATUS "rewrote ${EXPECTED}.out and .err")
  return()
endif()

set(differences "")
foreach(stream out err)
  if(NOT EXISTS ${EXPECTED}.${stream})
    string(APPEND differences "missing ${EXPECTED}.${stream}\n")
    continue()
  endif()
  file(READ ${EXPECTED}.${stream} expected)
  if(NOT "${${stream}}" STREQUAL "${expected}")
    file(WRITE ${ACTUAL}.${stream} "${${stream}}")
    string(APPEND differences "differs: diff -u ${EXPECTED}.${stream} ${ACTUAL}.${stream}\n")
  endif()
endforeach()
if(differences)
  message(FATAL_ERROR "${differences}After a deliberate change: ORVANTA_UPDATE_GOLDEN=1 ctest --preset default -L golden")
endif()
