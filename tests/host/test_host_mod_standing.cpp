// Matrix slots whose sources stand still between a voice's updates (the velocity, the key,
// controllers, pitch bend, the pads, the constant offset, the alternations), through the real
// plug-in: the host moves a slot's amount, window, source and destination, and MIDI moves the
// controllers and the bend, at odd samples under held notes, and retriggers a note without a new
// voice. The hash of every sample's bits was taken on a build before the voice evaluation reused
// its standing terms, so a term kept past a change of what it was made from shows up here.
#include "AudioAnalysis.h"
#include "ScenarioPatches.h"
#include "engine/modulation/ModIndices.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using testhost::Plugin;

constexpr int kBlock = 64;

float sourceValue(int s) {
    return (static_cast<float>(s) + 0.1f) / 127.99f;
}
float destValue(int d) {
    return (static_cast<float>(d) + 0.1f) / 399.99f;
}

struct Step {
    int block;                                // sent before this block
    std::vector<std::pair<int, float>> edits; // host parameter edits
    std::vector<std::array<int, 4>> midi;     // events at sample offsets within the block
};

// `crowd` adds notes that come and go, so more than four voices share the evaluation.
uint64_t renderHash(bool legato, bool crowd = false) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    // Slot sources: velocity, key, CC 2, pitch bend, pad X, offset, an alternation, the mod
    // wheel; destinations that are heard at once: fine tunes, volumes (multiplied), the filter,
    // a pitch in whole cents, and two slots on one destination.
    const int slots[8][2] = {{17, oscDest(0, oscdest::Fine)},
                             {5, oscDest(1, oscdest::Volume)},
                             {19, dest::FilterFrequency},
                             {18, oscDest(1, oscdest::Semi)},
                             {src::Osc1ZekX, oscDest(0, oscdest::Volume)},
                             {src::Offset, oscDest(1, oscdest::Fine)},
                             {11, oscDest(1, oscdest::Fine)},
                             {src::ModWheel, dest::VoiceVolume}};
    for (int s = 0; s < 8; ++s) {
        p.setParameter(tag::ModBypassFirst + s, 0.0f);
        p.setParameter(tag::ModSourceFirst + s, sourceValue(slots[s][0]));
        p.setParameter(tag::ModDestFirst + s, destValue(slots[s][1]));
        p.setParameter(tag::ModAmountFirst + s, 0.3f + 0.05f * static_cast<float>(s));
    }
    p.setParameter(tag::FilterFrequency, 0.55f);
    if (legato) p.setParameter(tag::PlayMode, (5 + 0.1f) / 9.99f); // "Legato"
    std::vector<float> l, r;
    p.process(256, l, r);
    std::vector<Step> steps = {
        {0, {}, {{0, 0x90, 50, 100}, {0, 0x90, 57, 90}, {5, 0x90, 62, 80}, {9, 0x90, 69, 70}}},
        {20, {{tag::ModAmountFirst + 0, 0.9f}}, {{17, 0xB0, 2, 90}}},
        {27, {}, {{3, 0xE0, 0, 90}, {40, 0xB0, 1, 100}}},
        {33, {{tag::Osc1ZekX, 0.8f}, {tag::ModLowerFirst + 2, 0.3f}}, {}},
        {41, {{tag::ModSourceFirst + 1, sourceValue(17)}}, {{61, 0xE0, 0, 20}}},
        {52, {{tag::ModDestFirst + 5, destValue(oscDest(0, oscdest::Fine))}}, {}},
        {60, {{tag::ModAmountFirst + 6, 0.1f}}, {{1, 0x90, 64, 30}}},
        {71, {{tag::ModUpperFirst + 2, 0.6f}, {tag::ModOffsetFirst + 4, 0.9f}}, {}},
        {83, {{tag::ModBypassFirst + 3, 1.0f}}, {{30, 0xB0, 2, 10}, {33, 0x90, 66, 127}}},
        {95, {{tag::ModBypassFirst + 3, 0.0f}, {tag::Osc1ZekX, 0.2f}}, {}},
    };
    if (crowd) {
        for (int k = 0; k < 5; ++k) steps[0].midi.push_back({11 + k, 0x90, 43 + 5 * k, 60 + 9 * k});
        steps[4].midi.push_back({7, 0x80, 48, 0});
        steps[4].midi.push_back({19, 0x80, 58, 0});
        for (int k = 0; k < 4; ++k) steps[7].midi.push_back({5 + 3 * k, 0x90, 71 + k, 50 + 20 * k});
    }
    uint64_t hash = audio::kHashStart;
    size_t next = 0;
    for (int b = 0; b < 130; ++b) {
        while (next < steps.size() && steps[next].block == b) {
            for (auto [t, v] : steps[next].edits) p.setParameter(t, v);
            if (!steps[next].midi.empty()) p.sendMidi(steps[next].midi);
            ++next;
        }
        p.process(kBlock, l, r);
        hash = audio::hashBits(audio::hashBits(hash, l, kBlock), r, kBlock);
    }
    return hash;
}

} // namespace

TEST(HostModStanding, SlotsOnStandingSourcesFollowEveryEditAsRecorded) {
    testhost::resetHost();
    EXPECT_EQ(renderHash(false), 2777463674219438823ull) << "poly";
    EXPECT_EQ(renderHash(true), 8526621436924020523ull) << "legato";
    // Up to thirteen voices: where the processor has AVX2 the evaluation runs eight voices side
    // by side, and must keep the bits of four at a time (ZEK2_NO_AVX2=1 at construction).
    setenv("ZEK2_NO_AVX2", "1", 1);
    const uint64_t four = renderHash(false, true);
    unsetenv("ZEK2_NO_AVX2");
    EXPECT_EQ(renderHash(false, true), four) << "eight voices side by side";
}
