// The factory bank as the host tests that play every preset walk it: the preset names from the
// bank text, in shards of eight so ctest spreads the bank over its jobs.
#pragma once

#include "tests/host/BankPhrase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bankshards {

constexpr int kPresetCount = 116;
constexpr int kShardSize = 8;
constexpr int kShards = (kPresetCount + kShardSize - 1) / kShardSize;

// The sanitizer build runs the engine many times slower: there every fourth preset stands for
// its neighbours, which share the engine's code paths.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kEvery = 4;
#else
constexpr int kEvery = 1;
#endif

inline const std::vector<std::string>& names() {
    static const std::vector<std::string> all = bankphrase::presetNames(ZEK2_BANK_TEXT_PATH);
    return all;
}

// Runs `check(index, name)` on every preset of the shard, each failure traced to its preset.
template <class Check> void forEachPreset(int shard, Check check) {
    ASSERT_EQ(names().size(), size_t(kPresetCount));
    for (int n = shard * kShardSize; n < (shard + 1) * kShardSize && n < kPresetCount; ++n) {
        if (n % kEvery) continue;
        const std::string& name = names()[size_t(n)];
        SCOPED_TRACE("preset " + std::to_string(n) + " \"" + name + "\"");
        check(n, name);
    }
}

} // namespace bankshards
