// A preset apply clears only the effect lines that were written since their last clear: the
// lines the reverb and the ensemble did write must come back silent, whatever the apply skips.
#include "engine/params/ParamTags.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(HostPerfFxClear, PresetApplyLeavesNoTailOfTheLinesThatRan) {
    testhost::resetHost();
    testhost::Plugin p(48000.0f, 256);
    std::vector<float> l, r;
    p.process(4608, l, r); // the start-up program lands
    p.setParameter(tag::BypassFxOn, 0.0f);
    p.setParameter(tag::ModFxOn, 1.0f);
    p.setParameter(tag::ModFxMode, 4.1f / 19.99f); // "Ensemble"
    p.setParameter(tag::ReverbOn, 1.0f);
    p.setParameter(tag::ReverbLength, 1.0f);
    p.setParameter(tag::ReverbMix, 0.5f);
    p.sendMidi({{0, 0x90, 60, 110}});
    for (int b = 0; b < 160; ++b) p.process(256, l, r); // longer than the lines
    p.sendMidi({{0, 0x80, 60, 0}});
    p.process(256, l, r);
    // Each buffer carries one marker past the rendered frames.
    float tail = 0.0f;
    for (int i = 0; i < 256; ++i) tail = std::max(tail, std::fabs(l[size_t(i)]));
    ASSERT_GT(tail, 1e-3f) << "the effects should still ring here";

    p.setParameter(tag::ApplyPreset, 1.0f); // the same sound again: both effects stay on
    // Silence while the apply waits for its boundary, and silence after it.
    float after = 0.0f;
    for (int b = 0; b < 60; ++b) {
        p.process(256, l, r);
        for (size_t i = 0; i < 256; ++i)
            after = std::max({after, std::fabs(l[i]), std::fabs(r[i])});
    }
    EXPECT_LT(after, 1e-6f);
}
