# Helpers shared by the folders' CMakeLists.
#
# orb_library(<name> DIR <dir> [DEPS <targets>...] [LIBS <external>...])
#   One static library from every .cpp/.c file of <dir> (not its subfolders unless
#   listed with SUBDIRS). An empty folder makes an INTERFACE library, so later
#   work only adds files.
function(orb_library name)
  cmake_parse_arguments(A "" "DIR" "DEPS;LIBS;SUBDIRS" ${ARGN})
  set(globs ${A_DIR}/*.cpp ${A_DIR}/*.c)
  foreach(sub ${A_SUBDIRS})
    list(APPEND globs ${A_DIR}/${sub}/*.cpp ${A_DIR}/${sub}/*.c)
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${globs})
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS} ${A_LIBS})
    # The standard headers nearly every file includes, parsed once per library.
    target_precompile_headers(${name} PRIVATE <algorithm> <cmath> <cstdint> <cstdio> <cstring>
      <string> <vector>)
    # The test command's builds compile a library's files eight at a time in one unit
    # (file-local names must then differ between the files of a library).
    set_target_properties(${name} PROPERTIES UNITY_BUILD ${ORB_UNITY_BUILD})
    # The game's own code stays free of warnings.
    target_compile_options(${name} PRIVATE -Werror)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS} ${A_LIBS})
  endif()
endfunction()

# orb_test(<name> DIR <dir> DEPS <targets>... [PER_CASE] [LABEL <label>] [SUITE_LABELS <suite>=<label>...])
#   One GoogleTest executable from every .cpp of tests/<dir>, registered with CTest:
#   one test per suite (a process start costs more than most cases, above all under
#   the sanitizers), or one per case with PER_CASE (long whole-program runs, started
#   first so that they spread over the cores). LABEL gives the tests a CTest label,
#   SUITE_LABELS the tests of the suites named a label of their own instead.
function(orb_test name)
  cmake_parse_arguments(A "PER_CASE" "DIR;LABEL" "DEPS;SUITE_LABELS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${A_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${A_DEPS} orb_test_main GTest::gtest GTest::gmock)
  # The test framework's headers are most of every test file's compile time.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <memory>
    <functional> <algorithm>)
  # The test build compiles the files of a test executable a few at a time in one unit:
  # the framework's templates are then compiled once for several files.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${ORB_UNITY_BUILD})
  # libFuzzer's coverage is for the code under test, not for the tests themselves.
  if(ORB_FUZZ_TARGETS)
    target_compile_options(${name} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
  target_compile_definitions(${name} PRIVATE
    ORB_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
    ORB_DATA_SRC_DIR="${PROJECT_SOURCE_DIR}/data"
    ORB_GAME_DIR="${GAME_DIR}")
  set(per_case OFF)
  set(cost 1)
  if(A_PER_CASE)
    set(per_case ON)
    set(cost 1000)
  endif()
  string(REPLACE ";" "," suite_labels "${A_SUITE_LABELS}")
  set(ctest_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_tests.cmake)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${name}> -DOUT=${ctest_file}
      -DPER_CASE=${per_case} -DCOST=${cost} -DLABEL=${A_LABEL} "-DSUITE_LABELS=${suite_labels}"
      -P ${PROJECT_SOURCE_DIR}/cmake/ListTestSuites.cmake
    BYPRODUCTS ${ctest_file} VERBATIM)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  file(WRITE ${include_file} "if(EXISTS [=[${ctest_file}]=])\n  include([=[${ctest_file}]=])\n"
    "else()\n  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# orb_bench(<name> SOURCES <files>... DEPS <targets>...)
function(orb_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE ORB_GAME_DIR="${GAME_DIR}")
  add_dependencies(programs ${name})
endfunction()

# orb_generator(<tool target> [ARGS ...])
#   Runs a data generator from tools/ at build time; it writes into the game folder.
#   It re-runs only when the tool itself is rebuilt.
function(orb_generator tool)
  cmake_parse_arguments(A "" "" "ARGS" ${ARGN})
  set(stamp ${CMAKE_BINARY_DIR}/stamps/${tool}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/stamps
    COMMAND $<TARGET_FILE:${tool}> ${GAME_DIR} ${A_ARGS}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${tool}
    WORKING_DIRECTORY ${GAME_DIR}
    COMMENT "Generating game data with ${tool}")
  add_custom_target(run_${tool} ALL DEPENDS ${stamp})
  add_dependencies(gamedata run_${tool})
endfunction()
