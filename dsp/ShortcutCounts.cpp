// The shortcut counts of the tests' counting build of the plug-in (see ShortcutCounts.h); any
// thread that renders adds to them, the test reads them between its sessions. Empty elsewhere.
#include "dsp/ShortcutCounts.h"

#ifdef ZEK2_SHORTCUT_COUNTS
#include <atomic>

namespace {
std::atomic<uint64_t> counts[shortcut::kKinds];
} // namespace

// A load and a store, not a locked add: one session renders at a time.
void shortcut::taken(Kind kind) {
    counts[kind].store(counts[kind].load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// Every instance's count of one kind so far, or 0 for a kind that does not exist.
extern "C" __attribute__((visibility("default"))) uint64_t ZEK2ShortcutCount(int kind) {
    return kind >= 0 && kind < shortcut::kKinds ? counts[kind].load(std::memory_order_relaxed) : 0;
}
#endif
