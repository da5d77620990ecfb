// How long a host's parameter write can take beside the editor's work, measured as a host with
// real-time threads meets it: two real-time worker threads take turns rendering blocks of 16 at
// the pace of 48 kHz, and every 8th block the worker whose turn it is (not the one that rendered
// last) first writes a point of user wave 1; meanwhile the editor's thread, at ordinary
// priority on the same core, loads one built-in wave shape after another into that wave (each
// load stores the shape, rebuilds the wave and writes its smoothed points back). The figure is
// the longest write; a write that waited for the editor would last until the kernel's
// real-time throttling let the editor's thread run again (up to a second).
// The second figure is the longest program selection of a host's real-time thread while the
// editor's thread picks presets (each pick takes the turn on the program record that the
// selection takes too) and a busy real-time thread of lower priority than the host's holds
// the core for 100 ms at a time: unless the editor's thread runs at the host's priority while
// it holds the turn, the selection waits for the busy thread. Benchmark thread.
#include "bench/Scenarios.h"
#include "engine/APlugin.h"

#include <pthread.h>
#include <sched.h>
#include <semaphore.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr VstInt32 kBlock = 16;
constexpr int kWriteEvery = 8;

// The first CPU this process may run on: every thread of the measure is pinned there.
int firstAllowedCpu() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) != 0) return 0;
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &set)) return c;
    return 0;
}

// Pins the calling thread to `cpu` and, for `priority` > 0, makes it a real-time thread
// (SCHED_FIFO); false when the system refuses the priority.
bool placeThread(int cpu, int priority) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof(set), &set);
    if (priority <= 0) return true;
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void addNanoseconds(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
}

struct Figures {
    double longestWriteMs = 0.0, longestLateMs = 0.0;
    long writes = 0, editorLoads = 0;
    bool realTime = true;
};

Figures measureWritesBesideWaveLoads(double seconds) {
    auto engine = std::make_unique<APlugin>(nullptr);
    AEffect* effect = engine->getAeffect();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kRate);
    effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    const int cpu = firstAllowedCpu();
    const long blocks = long(seconds * kRate) / kBlock;
    const long period = long(1e9 * kBlock / kRate);

    Figures f;
    std::atomic<bool> stop{false}, refused{false};
    std::atomic<long> loads{0};
    std::thread editor([&] {
        placeThread(cpu, 0);
        for (int k = 0; !stop.load(std::memory_order_relaxed); ++k) {
            engine->changeUserWaveDelta(0, (k & 1) ? -1 : 1);
            loads.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // The two workers hand each block over by semaphore; each sleeps until its block's time.
    sem_t turn[2];
    sem_init(&turn[0], 0, 1);
    sem_init(&turn[1], 0, 0);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long block = 0;
    double longestWrite = 0.0, longestLate = 0.0;
    long writes = 0;
    auto worker = [&](int me) {
        if (!placeThread(cpu, 20)) refused = true;
        std::vector<float> in(kBlock, 0.0f), left(kBlock), right(kBlock);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {left.data(), right.data()};
        for (;;) {
            while (sem_wait(&turn[me]) != 0) {
            }
            if (block >= blocks) {
                sem_post(&turn[1 - me]);
                return;
            }
            if (block % kWriteEvery == 0) {
                const int point = int((block / kWriteEvery) * 37 % tag::UserWavePointCount);
                const float value = float((block / kWriteEvery) % 97) / 96.0f;
                const auto start = Clock::now();
                effect->setParameter(effect, tag::UserWave1First + point, value);
                const std::chrono::duration<double, std::milli> took = Clock::now() - start;
                longestWrite = std::max(longestWrite, took.count());
                ++writes;
            }
            effect->processReplacing(effect, inputs, outputs, kBlock);
            addNanoseconds(next, period);
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const double late =
                double(now.tv_sec - next.tv_sec) * 1e3 + double(now.tv_nsec - next.tv_nsec) / 1e6;
            longestLate = std::max(longestLate, late);
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            ++block;
            sem_post(&turn[1 - me]);
        }
    };
    std::thread first(worker, 0), second(worker, 1);
    first.join();
    second.join();
    stop = true;
    editor.join();
    sem_destroy(&turn[0]);
    sem_destroy(&turn[1]);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    f.longestWriteMs = longestWrite;
    f.longestLateMs = longestLate;
    f.writes = writes;
    f.editorLoads = loads;
    f.realTime = !refused;
    return f;
}

// The longest program selection (effSetProgram) of a real-time thread every 2 ms beside the
// editor's preset picks and a busy real-time thread of lower priority, all on one core.
Figures measureSelectionsBesidePresetPicks(double seconds) {
    auto engine = std::make_unique<APlugin>(nullptr);
    AEffect* effect = engine->getAeffect();
    const int cpu = firstAllowedCpu();
    std::atomic<bool> stop{false}, refused{false};
    std::atomic<long> picks{0};
    std::thread editor([&] {
        placeThread(cpu, 0);
        for (int k = 0; !stop.load(std::memory_order_relaxed); ++k) {
            engine->setDemoProgram(1 + (k & 1));
            picks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::thread busy([&] {
        if (!placeThread(cpu, 10)) refused = true;
        while (!stop.load(std::memory_order_relaxed)) {
            const auto until = Clock::now() + std::chrono::milliseconds(100);
            while (Clock::now() < until && !stop.load(std::memory_order_relaxed)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    Figures f;
    std::thread host([&] {
        if (!placeThread(cpu, 20)) refused = true;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            const auto start = Clock::now();
            effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
            const std::chrono::duration<double, std::milli> took = Clock::now() - start;
            f.longestWriteMs = std::max(f.longestWriteMs, took.count());
            ++f.writes;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    host.join();
    stop = true;
    busy.join();
    editor.join();
    f.editorLoads = picks;
    f.realTime = !refused;
    return f;
}

} // namespace

void printHostWaits(bool shortForm) {
    const double seconds = shortForm ? 3.0 : 15.0;
    const Figures f = measureWritesBesideWaveLoads(seconds);
    std::printf("\nhost writes beside the editor's wave loads (one core, %.0f s, blocks of %d, a "
                "point written every %dth block%s): longest write %.3f ms (target < 5 ms), "
                "latest block %.3f ms behind its time; %ld writes, %ld wave loads\n",
                seconds, int(kBlock), kWriteEvery,
                f.realTime ? ", real-time workers" : ", ordinary threads (real-time refused)",
                f.longestWriteMs, f.longestLateMs, f.writes, f.editorLoads);
    const Figures p = measureSelectionsBesidePresetPicks(seconds);
    std::printf("host program selections beside the editor's preset picks and a busy lower "
                "real-time thread (one core, %.0f s%s): longest selection %.3f ms (target < 5 "
                "ms); %ld selections, %ld picks\n",
                seconds, p.realTime ? "" : ", ordinary threads (real-time refused)",
                p.longestWriteMs, p.writes, p.editorLoads);
}

} // namespace bench
