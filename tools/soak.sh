#!/usr/bin/env bash
# Soaks the plug-in for SECONDS with fresh seeds: the automation soak of the host tests, on
# three builds side by side: the Release build, the AddressSanitizer + UBSan build, and the
# ThreadSanitizer build with a second thread asking every host query; beside them, the skip
# guard's random sessions (every shortcut against none) in the Release build. A failure prints
# its seed and the command that replays it; a crashed run is restarted with the next seeds, so
# one fault does not end the soak.
#   tools/soak.sh SECONDS [FIRST_SEED]
# ZEK2_JOBS sets the build jobs (default 3); ZEK2_SOAK_BLOCKS the blocks per seed (1500 in the
# Release build, a quarter of that in the many times slower sanitizer builds). The logs go to a
# fresh folder below $TMPDIR (else /tmp), whose path is printed, and are removed after a clean
# soak; a soak that found faults keeps them for reading. ZEK2_SOAK_LOGS names a folder to use
# instead, which is always kept.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: tools/soak.sh SECONDS [FIRST_SEED]}
first=${2:-$(($(date +%s) % 100000000 * 100))}
jobs=${ZEK2_JOBS:-3}
blocks=${ZEK2_SOAK_BLOCKS:-1500}

# Each folder is configured as tools/setup.sh and tools/test.sh configure it, so the soak changes
# none of their settings: the README's commands that build more there (the benchmarks in build/)
# work after it as before.
build() { # folder, cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DZEK2_BUILD_TESTS=ON "$@" >/dev/null &&
        cmake --build "$dir" -j "$jobs" --target ZEK2 zek2_host_tests >/dev/null
}
echo "== building (Release, sanitizers, thread sanitizer)"
build build -DCMAKE_BUILD_TYPE=Release -DZEK2_BUILD_BENCH=ON || exit 1
build build-asan -DCMAKE_BUILD_TYPE=Debug -DZEK2_SANITIZE=ON -DZEK2_BUILD_BENCH=OFF || exit 1
build build-tsan -DCMAKE_BUILD_TYPE=Release -DZEK2_TSAN=ON -DZEK2_BUILD_BENCH=OFF || exit 1

# Made once the builds stand, so a failed build leaves no empty folder behind.
logs=${ZEK2_SOAK_LOGS:-}
ownLogs=0
if [ -z "$logs" ]; then
    logs=$(mktemp -d "${TMPDIR:-/tmp}/zek2-soak.XXXXXX") || exit 1
    ownLogs=1
fi
mkdir -p "$logs" || exit 1

export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=suppressions=$PWD/tools/tsan.supp:halt_on_error=1:second_deadlock_stack=1

# One lane: runs a fresh-seed test (the automation soak's unless a sixth argument names the
# suite) until the time is up, restarting after a crash with the seed after the one that
# crashed. Seeds of a lane start at its own offset, so lanes never share one.
lane() { # name, build folder, threads, first seed, blocks per seed[, suite]
    local name=$1 dir=$2 threads=$3 seed=$4 blocks=$5 suite=${6:-HostSoak}
    local end=$(($(date +%s) + seconds)) run=0
    while [ "$(date +%s)" -lt "$end" ]; do
        local left=$((end - $(date +%s))) log="$logs/$name.$run.log"
        ZEK2_SOAK_SECONDS=$left ZEK2_SOAK_FIRST_SEED=$seed ZEK2_SOAK_BLOCKS=$blocks \
            ZEK2_SOAK_THREADS=$threads \
            "$dir/tests/zek2_host_tests" --gtest_filter="$suite.FreshSeedsForAWhile" >"$log" 2>&1
        local rc=$?
        local last
        last=$(grep -o 'soak seed [0-9]*' "$log" | tail -1 | awk '{print $3}')
        if [ -z "$last" ]; then
            echo "[$name] the soak did not start (exit $rc), log $log"
            echo "[$name] crash: no start" >>"$logs/$name.summary"
            return
        fi
        if ! grep -q 'soak summary' "$log"; then
            echo "[$name] seed $last CRASHED (exit $rc), log $log"
            if [ "$suite" = HostSoak ]; then
                echo "[$name]   replay: ZEK2_SOAK_SEED=$last ZEK2_SOAK_BLOCKS=$blocks" \
                    "ZEK2_SOAK_THREADS=$threads $dir/tests/zek2_host_tests --gtest_filter=HostSoak.Replay"
            else
                echo "[$name]   replay: ZEK2_SOAK_SECONDS=1 ZEK2_SOAK_FIRST_SEED=$last" \
                    "$dir/tests/zek2_host_tests --gtest_filter=$suite.FreshSeedsForAWhile"
            fi
            echo "[$name] crash: seed $last" >>"$logs/$name.summary"
        fi
        grep -h 'failed at\|replay:\|soak summary' "$log" | sed "s/^/[$name] /"
        grep -h 'soak summary' "$log" >>"$logs/$name.summary"
        seed=$((last + 1))
        run=$((run + 1))
    done
}

echo "== soaking for $seconds s from seed $first (logs in $logs)"
lane release build 1 "$first" "$blocks" &
lane asan build-asan 1 $((first + 30000000)) $((blocks / 4)) &
lane tsan build-tsan 2 $((first + 60000000)) $((blocks / 4)) &
lane skipguard build 1 $((first + 90000000)) "$blocks" HostSkipGuard &
wait

echo "== totals"
awk '/soak summary/ { seeds += $3; blocks += $5; hours += $7; queries += $11; failed += $14 }
     /crash/ { crashes++ }
     END { printf "%d seeds, %d blocks, %.2f hours of audio, %d host queries, %d failed, %d crashed\n",
           seeds, blocks, hours, queries, failed, crashes }' "$logs"/*.summary
if grep -qh 'failed at\|CRASHED' "$logs"/*.log "$logs"/*.summary 2>/dev/null ||
    grep -q crash "$logs"/*.summary; then
    echo "SOAK FOUND FAULTS: see the seeds above (logs in $logs)"
    exit 1
fi
if [ "$ownLogs" = 1 ]; then
    rm -rf "$logs"
    echo "soak clean (its logs removed)"
else
    echo "soak clean (logs in $logs)"
fi
