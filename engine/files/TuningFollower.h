// A thread of the engine's own for the file work that a write on any thread asks for: the
// tuning a sound names is read again when the host writes the name, and the write may come on
// the audio thread, which only raises a flag and wakes the thread here. Any thread asks; the
// work runs on this thread alone.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <functional>
#include <thread>

class TuningFollower {
public:
    explicit TuningFollower(std::function<void()> work);
    ~TuningFollower();
    TuningFollower(const TuningFollower&) = delete;
    TuningFollower& operator=(const TuningFollower&) = delete;

    // Any thread, the audio thread included: no lock, no allocation. Requests made while the
    // work waits to run are served by one run.
    void request();

private:
    void run();

    std::function<void()> work;
    sem_t wake;
    std::atomic<bool> wanted{false};
    std::atomic<bool> stopping{false};
    std::thread thread;
};
