// The priority-inheriting mutex (see PriorityMutex.h) on the POSIX threads of Linux.
#include "platform/PriorityMutex.h"

PriorityMutex::PriorityMutex() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

PriorityMutex::~PriorityMutex() {
    pthread_mutex_destroy(&mutex);
}

void PriorityMutex::lock() {
    pthread_mutex_lock(&mutex);
}

void PriorityMutex::unlock() {
    pthread_mutex_unlock(&mutex);
}

bool PriorityMutex::try_lock() {
    return pthread_mutex_trylock(&mutex) == 0;
}
