# Run at build time by orb_test: lists a test executable's cases and writes the CTest
# file that registers them, one test per suite (one process runs the suite's cases in
# a row) or, with PER_CASE, one test per case (for long cases that should spread over
# the cores).
#   -DEXE=<executable> -DOUT=<ctest file> -DPER_CASE=ON|OFF -DCOST=<n>
execute_process(COMMAND "${EXE}" --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${result}):\n${errors}")
endif()

string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(names "")
set(suite "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" name)
  if(name STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^ ")
    string(REGEX REPLACE "\\.$" "" suite "${name}")
    if(NOT PER_CASE)
      list(APPEND names "${suite}")
    endif()
  elseif(PER_CASE)
    list(APPEND names "${suite}.${name}")
  endif()
endforeach()

set(script "")
foreach(name IN LISTS names)
  if(PER_CASE)
    set(filter "${name}")
  else()
    set(filter "${name}.*")
  endif()
  string(APPEND script "add_test([=[${name}]=] [=[${EXE}]=] [=[--gtest_filter=${filter}]=])\n")
  string(APPEND script "set_tests_properties([=[${name}]=] PROPERTIES ENVIRONMENT [=[SDL_AUDIODRIVER=dummy;PLATFORM_MSGBOX=stderr]=] COST ${COST})\n")
endforeach()
file(WRITE "${OUT}" "${script}")
