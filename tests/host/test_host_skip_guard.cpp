// Work skipped for speed never changes a sample: two fresh instances that differ only by a
// bypassed modulation slot (whose source then counts as read, so its row is always written and
// its oscillator always rendered) play the same samples through an edit that makes a reader
// appear between two slot-table rebuilds.
#include "TestHost.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

using testhost::Plugin;
using Settings = std::vector<std::pair<int, float>>;

constexpr int kRate = 48000, kBlock = 32;

float source(int s) {
    return (static_cast<float>(s) + 0.1f) / 127.99f;
}
float destination(int d) {
    return (static_cast<float>(d) + 0.1f) / 399.99f;
}

// Both channels of one second from key 60's strike: the settings land 0.2 s before it, the
// edit 3,232 frames after it (on a 32-frame block, not on a 128-sample one).
std::vector<float> strike(const Settings& settings, const Settings& edit) {
    Plugin p(static_cast<float>(kRate), kBlock);
    std::vector<float> l, r, out;
    for (auto [t, v] : settings) p.setParameter(t, v);
    for (int b = 0; b < kRate / 5 / kBlock; ++b) p.process(kBlock, l, r);
    p.sendMidi({{0, 0x90, 60, 100}});
    for (int b = 0; b < kRate / kBlock; ++b) {
        if (b == 3232 / kBlock)
            for (auto [t, v] : edit) p.setParameter(t, v);
        p.process(kBlock, l, r);
        for (int i = 0; i < kBlock; ++i) {
            out.push_back(l[size_t(i)]);
            out.push_back(r[size_t(i)]);
        }
    }
    return out;
}

// How many samples differ and by how much at most, as the failure message.
std::string differences(const std::vector<float>& a, const std::vector<float>& b) {
    int count = 0;
    float most = 0.0f, peak = 0.0f;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        peak = std::fmax(peak, std::fabs(b[i]));
        if (a[i] == b[i]) continue;
        ++count;
        most = std::fmax(most, std::fabs(a[i] - b[i]));
    }
    return std::to_string(count) + " of " + std::to_string(a.size()) + " samples differ, up to " +
           std::to_string(most) + " on a peak of " + std::to_string(peak);
}

void expectSameWithBypassedReader(const char* what, Settings settings, int readSource,
                                  const Settings& edit) {
    const std::vector<float> plain = strike(settings, edit);
    settings.insert(settings.end(),
                    {{tag::ModBypassFirst, 1.0f}, {tag::ModSourceFirst, source(readSource)}});
    const std::vector<float> read = strike(settings, edit);
    ASSERT_EQ(plain.size(), read.size());
    EXPECT_TRUE(plain == read) << what << ": " << differences(plain, read);
}

} // namespace

TEST(HostSkipGuard, ABypassedSlotLeavesEverySampleAsItWas) {
    testhost::resetHost();
    // The per-voice Main LFO's speed starts to read Free Env 1 mid-note.
    expectSameWithBypassedReader("Main LFO speed by Free Env 1",
                                 {{tag::MainLfoToVolume, 1.0f},
                                  {tag::MainLfoSpeed, 0.5f}, // 1/1 QB
                                  {tag::MainLfoPlayMode, 0.0f},
                                  {tag::MainLfoSpeedModSource, source(src::FreeEnv1)},
                                  {tag::MainLfoSpeedModAmount, 0.5f}},
                                 src::FreeEnv1, {{tag::MainLfoSpeedModAmount, 1.0f}});
    // Oscillator 1, with its output off and fed back on itself, is heard again mid-note.
    expectSameWithBypassedReader(
        "Osc 1 output on under its own feedback",
        {{tag::Osc2On, 1.0f},
         {tag::Osc1OutputOn, 0.0f},
         {tag::ModBypassFirst + 1, 0.0f},
         {tag::ModSourceFirst + 1, source(src::Offset)},
         {tag::ModDestFirst + 1, destination(oscDest(0, oscdest::Feedback))},
         {tag::ModAmountFirst + 1, 1.0f}},
        src::Osc1Output, {{tag::Osc1OutputOn, 1.0f}});
}
