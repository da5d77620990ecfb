// A mutex whose holder runs at the priority of the highest thread waiting for it (priority
// inheritance): a host's real-time thread that meets the editor's thread, or a thread of the
// engine's own, inside a short section of plain stores never waits behind threads of lower
// priority that keep that holder from running. Any thread but the audio thread, which takes
// no lock.
#pragma once

#include <pthread.h>

class PriorityMutex {
public:
    PriorityMutex();
    ~PriorityMutex();
    PriorityMutex(const PriorityMutex&) = delete;
    PriorityMutex& operator=(const PriorityMutex&) = delete;

    void lock();
    void unlock();
    bool try_lock();

private:
    pthread_mutex_t mutex;
};
