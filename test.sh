#!/usr/bin/env bash
# Builds everything and runs every test: the game, its data, the tools, the benchmarks and
# the whole-program runs in the normal build (as ./run.sh builds them), which runs those
# (label "program"); then every test in a build under AddressSanitizer and
# UndefinedBehaviorSanitizer, which runs all the others, the whole-game soak and the
# readers' fuzz targets.
set -eu
cd "$(dirname "$0")"

# Each step of the log starts with the clock, the seconds since the start and the CPU
# seconds (user, system) the steps so far have used.
# (`times` reports this shell's finished children, so it runs here and not in a subshell.)
started=$SECONDS
cpu_file=$(mktemp)
trap 'rm -f "$cpu_file"' EXIT
phase() {
  times >"$cpu_file"
  echo "== $(date -u +%H:%M:%S) +$((SECONDS - started))s cpu $(tail -n 1 "$cpu_file"): $*"
}

phase "packages"
bash scripts/deps.sh
jobs=$(nproc)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export PLATFORM_MSGBOX=stderr

# Both builds compile the files of each library and test a few at a time in one unit; line
# tables are all the debug information the test command's game needs for a backtrace.
phase "configure the normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
phase "build the game, its data, the tools, the benchmarks and the whole-program runs"
cmake --build build -j "$jobs" --target programs test_app
phase "whole-program runs"
ctest --test-dir build --output-on-failure -j "$jobs" -L program

# clang builds the sanitizer tests when it is there, so the fuzz targets share them.
compilers=()
if command -v clang++ >/dev/null && command -v clang >/dev/null; then
  compilers=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)
fi
phase "configure the sanitizer build"
# -O1 keeps the sanitizers' reports exact and runs the whole-program tests faster; line
# tables are all the reports need of the debug information.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" -DCMAKE_C_FLAGS_DEBUG="-g1 -O1" \
  -DORB_SANITIZE=ON -DORB_BENCH=OFF -DORB_UNITY_BUILD=ON -DORB_GAME_DATA="$PWD/build/game" "${compilers[@]}" >/dev/null
phase "build the sanitizer tests"
cmake --build build-asan -j "$jobs"
phase "sanitizer tests, soak and fuzz targets"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE program
phase "done"
echo "All tests passed."
