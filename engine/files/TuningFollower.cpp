// The engine's file thread for the tuning a sound names (see TuningFollower.h).
#include "engine/files/TuningFollower.h"

#include "engine/host/TestHooks.h"

#include <cerrno>
#include <utility>

TuningFollower::TuningFollower(std::function<void()> w) : work(std::move(w)) {
    sem_init(&wake, 0, 0);
    thread = std::thread([this] { run(); });
}

TuningFollower::~TuningFollower() {
    stopping.store(true, std::memory_order_release);
    sem_post(&wake);
    thread.join();
    sem_destroy(&wake);
}

void TuningFollower::request() {
    // One wake per batch of writes: the restore of a sound writes forty name tags.
    if (!wanted.exchange(true, std::memory_order_acq_rel)) sem_post(&wake);
}

void TuningFollower::run() {
    for (;;) {
        while (sem_wait(&wake) != 0 && errno == EINTR) {
        }
        if (stopping.load(std::memory_order_acquire)) return;
        if (wanted.exchange(false, std::memory_order_acq_rel)) {
            work();
            ZEK2_TEST_HOOK(followerDone);
        }
    }
}
