# The sanitizer build doubles as the fuzz build when clang compiles it: every library
# gets coverage for libFuzzer, and the reader fuzz targets link against the same
# libraries the tests use (one instrumented build instead of two).
set(ORB_FUZZ_TARGETS OFF)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(STATUS "Fuzz targets: the sanitizer build is not compiled by clang, left out")
  return()
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
check_cxx_source_compiles(
  "#include <cstddef>\n#include <cstdint>\nextern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }"
  ORB_HAS_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT ORB_HAS_LIBFUZZER)
  message(STATUS "Fuzz targets: clang has no libFuzzer runtime, left out")
  return()
endif()
set(ORB_FUZZ_TARGETS ON)
add_compile_options(-fsanitize=fuzzer-no-link)
