# Builds the save-file fuzz targets with clang next to the main build and runs
# each for a few seconds as a test, seeded with the valid files of tests/fixtures.
# Needs clang with its fuzzer runtime; without it the targets are left out.
# The targets carry their own sanitizers, so the sanitizer build skips them.
if(ORB_SANITIZE)
  return()
endif()

find_program(ORB_FUZZ_CXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(NOT ORB_FUZZ_CXX)
  message(STATUS "Save-file fuzz targets: no clang++, left out")
  return()
endif()
set(fuzz_dir ${CMAKE_BINARY_DIR}/save_fuzzers)
file(MAKE_DIRECTORY ${fuzz_dir})
execute_process(
  COMMAND ${ORB_FUZZ_CXX} -fsanitize=fuzzer ${CMAKE_CURRENT_LIST_DIR}/probe.cpp -o ${fuzz_dir}/probe
  RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
if(NOT probe_result EQUAL 0)
  message(STATUS "Save-file fuzz targets: ${ORB_FUZZ_CXX} has no libFuzzer, left out")
  return()
endif()

include(ExternalProject)
ExternalProject_Add(save_fuzzers
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
  BINARY_DIR ${fuzz_dir}/build
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${ORB_FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

foreach(entry quest_save:sav hiscores:tbl best_results:bst trophies:dat)
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 name)
  list(GET parts 1 ext)
  set(seeds ${fuzz_dir}/seeds_${name})
  file(GLOB seed_files ${PROJECT_SOURCE_DIR}/tests/fixtures/*.${ext})
  file(REMOVE_RECURSE ${seeds})
  file(MAKE_DIRECTORY ${seeds})
  if(seed_files)
    file(COPY ${seed_files} DESTINATION ${seeds})
  endif()
  # A fresh corpus each run; crashes are kept in the fuzz folder.
  add_test(NAME fuzz_${name}
    COMMAND sh -c "rm -rf corpus_${name} && mkdir corpus_${name} && exec build/fuzz_${name} -seed=1 -max_total_time=3 -timeout=10 -print_final_stats=1 -artifact_prefix=${fuzz_dir}/crash_${name}_ corpus_${name} ${seeds}"
    WORKING_DIRECTORY ${fuzz_dir})
endforeach()

# The text and picture readers: the whole tree built once more with clang and
# ORB_FUZZ (every library instrumented), seeded with the shipped data files and a
# few pictures of every kind written by the tests' own image writer.
set(reader_dir ${CMAKE_BINARY_DIR}/reader_fuzzers)
ExternalProject_Add(reader_fuzzers
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${reader_dir}/build
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${ORB_FUZZ_CXX} -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=RelWithDebInfo
             -DORB_FUZZ=ON -DORB_BENCH=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target reader_fuzzers
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

# Seeds are gathered when the test runs: fonts, sounds' tuning and pictures are
# written by the generators of the main build.
set(data ${PROJECT_SOURCE_DIR}/data/Data)
set(game ${GAME_DIR}/Data)
set(fixtures ${PROJECT_SOURCE_DIR}/tests/fixtures)
set(seeds_ini "${data}/Config/*.ini ${data}/Config/*.cfg")
set(seeds_level "${data}/Lvl/*.lvl ${fixtures}/*.lvl")
set(seeds_form "${data}/Forms/*.kmf ${fixtures}/*.kmf")
set(seeds_string_table "${data}/Txt/Strings.txt")
set(seeds_image "$(find ${game} -type f -size -6k -name '*.[pjtbd][npgmd][gsa]' | head -20)")
set(seeds_font "${game}/Fonts/*.kfd")
set(seeds_caps_animation "${data}/CapsAnimation.dat")
set(seeds_volume "${game}/Sfx/Vol.cfg")
set(seeds_texture_list "${data}/Forms/Textures.lst")
set(seeds_trophy_texts "${data}/Txt/Trophies.txt")
foreach(name ini level form string_table image font caps_animation volume texture_list trophy_texts)
  # A fresh corpus and seed folder each run; crashes are kept in the fuzz folder.
  add_test(NAME fuzz_${name}
    COMMAND sh -c "rm -rf corpus_${name} seeds_${name} && mkdir corpus_${name} seeds_${name} && cp ${seeds_${name}} seeds_${name}/ 2>/dev/null; exec build/tests/fuzz_readers/fuzz_${name} -seed=1 -max_total_time=3 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=${reader_dir}/crash_${name}_ corpus_${name} seeds_${name}"
    WORKING_DIRECTORY ${reader_dir})
endforeach()
