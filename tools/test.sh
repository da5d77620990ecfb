#!/usr/bin/env bash
# Builds ZEK2 and runs every test: a Release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a format check of the sources. The short benchmark table
# is printed after the Release tests so that a slowdown shows in the log; a ThreadSanitizer
# build runs the race tests last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs=${ZEK2_JOBS:-$(nproc)}
# The editor's window tests need an X server: a private virtual one serves every test run.
xrun=(xvfb-run -a -s "-screen 0 2560x1600x24")

echo "== format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK2_BUILD_TESTS=ON -DZEK2_BUILD_BENCH=ON
cmake --build build -j "$jobs"
"${xrun[@]}" ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

echo "== benchmark table, short form (figures for the log; no figure fails the run)"
./build/bench/zek2_bench --short

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEK2_SANITIZE=ON -DZEK2_BUILD_TESTS=ON -DZEK2_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp \
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "${xrun[@]}" ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

echo "== ThreadSanitizer build and race tests"
# Only the test programs that hold a race test (a suite whose name ends in "Race") are built.
tsan_targets=(zek2_unit_tests)
if grep -Eq 'TEST(_F)?\([A-Za-z0-9_]*Race,' tests/host/*.cpp; then tsan_targets+=(zek2_host_tests); fi
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK2_TSAN=ON -DZEK2_BUILD_TESTS=ON -DZEK2_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target "${tsan_targets[@]}"
TSAN_OPTIONS=suppressions=$PWD/tools/tsan.supp:halt_on_error=1:second_deadlock_stack=1 \
  "${xrun[@]}" ctest --test-dir build-tsan --output-on-failure --no-tests=error -j "$jobs" -R 'Race\.'
