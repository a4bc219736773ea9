# The fuzz targets of the save-file readers and of the text and picture readers, in
# the sanitizer build when clang compiles it (see cmake/FuzzTargets.cmake). Each
# runs for a few seconds as a test, seeded with the valid files of tests/fixtures,
# the shipped data and a few generated pictures of every kind.
if(NOT ORB_FUZZ_TARGETS)
  return()
endif()

set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
file(MAKE_DIRECTORY ${fuzz_dir})

add_library(save_fuzz_checks STATIC ${CMAKE_CURRENT_LIST_DIR}/../SaveFuzzers.cpp)
target_include_directories(save_fuzz_checks PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(save_fuzz_checks PUBLIC saves)
foreach(name quest_save hiscores best_results trophies)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE save_fuzz_checks)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/fuzz_readers ${CMAKE_BINARY_DIR}/tests/fuzz_readers)

# Seeds are gathered when the test runs: fonts, sounds' tuning and pictures are
# written by the generators of this build.
set(data ${PROJECT_SOURCE_DIR}/data/Data)
set(game ${GAME_DIR}/Data)
set(fixtures ${PROJECT_SOURCE_DIR}/tests/fixtures)
set(seeds_quest_save "${fixtures}/*.sav")
set(seeds_hiscores "${fixtures}/*.tbl")
set(seeds_best_results "${fixtures}/*.bst")
set(seeds_trophies "${fixtures}/*.dat")
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
foreach(name quest_save hiscores best_results trophies
             ini level form string_table image font caps_animation volume texture_list trophy_texts)
  # A fresh corpus and seed folder each run; crashes are kept in the fuzz folder.
  add_test(NAME fuzz_${name}
    COMMAND sh -c "rm -rf corpus_${name} seeds_${name} && mkdir corpus_${name} seeds_${name} && cp ${seeds_${name}} seeds_${name}/ 2>/dev/null; exec $<TARGET_FILE:fuzz_${name}> -seed=1 -max_total_time=3 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=${fuzz_dir}/crash_${name}_ corpus_${name} seeds_${name}"
    WORKING_DIRECTORY ${fuzz_dir})
endforeach()
