// The allocation counter of the host tests: every operator new of the process, the loaded
// plug-in's included, is counted while `counting` is set (test_host_audio_thread.cpp holds the
// counting operators; sanitizer builds, whose runtime owns operator new, count nothing).
#pragma once

#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZEK2_COUNT_ALLOCATIONS 0
#else
#define ZEK2_COUNT_ALLOCATIONS 1
#endif

namespace alloccount {
extern std::atomic<bool> counting;
extern std::atomic<int> allocations;
} // namespace alloccount
