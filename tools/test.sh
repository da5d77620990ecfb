#!/usr/bin/env bash
# Builds ZEK2 and runs every test: a Release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a format check of the sources. The short benchmark table
# is printed after the Release tests so that a slowdown shows in the log; an unoptimised and an
# -O2 build's renders are then held to the Release build's; a ThreadSanitizer build runs the
# race tests last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs=${ZEK2_JOBS:-$(nproc)}
# The editor's window tests need an X server: a private virtual one serves every test run. It
# never resets: by default the server starts over whenever its last client leaves, and a test
# that opens the display in that moment finds none.
xrun=(xvfb-run -a -s "-screen 0 2560x1600x24 -noreset")

echo "== format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK2_BUILD_TESTS=ON -DZEK2_BUILD_BENCH=ON
cmake --build build -j "$jobs"
"${xrun[@]}" ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

echo "== benchmark table, short form (figures for the log; no figure fails the run)"
./build/bench/zek2_bench --short

echo "== Unoptimised and -O2 builds: their eight lanes and every tag against the Release build's bits"
# Built as a developer builds it to chase a bug (Debug, -O0, where no call is inlined) and as a
# developer or a distribution builds it to ship (RelWithDebInfo, -O2, whose optimiser makes
# other choices than Release's -O3 and link-time optimisation), the plug-in must play as the
# Release build: the stages' test renders its eight lanes (AVX2) beside the Release plug-in's,
# and the soak's every-tag sessions (every Arp Mode and Play Mode value among them) play in
# both, bit for bit. GCC notes every function that takes an eight-lane vector outside code
# compiled for AVX2, which passes it differently; none may be left. Only the plug-in is built
# at these levels.
for level in Debug:build-debug RelWithDebInfo:build-o2; do
  type=${level%%:*} dir=${level#*:}
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DZEK2_BUILD_TESTS=OFF -DZEK2_BUILD_BENCH=OFF
  cmake --build "$dir" -j "$jobs" --target ZEK2 | tee "$dir/build.log"
  if grep -q "ABI for passing parameters" "$dir/build.log"; then
    echo "an eight-lane vector is passed by value outside code compiled for AVX2 (see above)" >&2
    exit 1
  fi
  ZEK2_COMPARE_PLUGIN=$PWD/$dir/ZEK2.so ./build/tests/zek2_host_tests \
    --gtest_filter=HostStages.FourAndEightLaneStagesGiveTheSameBits:HostSoak.FixedSeedsPlayCleanAndEndInSilence
done

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
