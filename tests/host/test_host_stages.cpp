// The voice stages heard through the real plug-in: the filter's cutoff on a saw's partials,
// the EQ's boost, the unison filter, every filter type at full resonance and drive behind a
// loud EQ without a NaN, an infinity or a runaway, and a ringing comb's limit with and without
// unison.
#include "tests/TestEnv.h"
#include "tests/host/AudioAnalysis.h"
#include "tests/host/ScenarioPatches.h"
#include "tests/host/StagesPatch.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using testhost::Plugin;
namespace sp = stagespatch;

namespace {

constexpr float kRate = 48000.0f;
constexpr int kKey = 57; // 220 Hz

// Holds a key for `seconds` after a settling tenth of a second; the left channel.
std::vector<float> hold(Plugin& p, double seconds, int key = kKey) {
    p.sendMidi({{0, 0x90, key, 100}});
    std::vector<float> l, r;
    p.process(static_cast<VstInt32>(0.1 * kRate), l, r);
    p.process(static_cast<VstInt32>(seconds * kRate), l, r);
    l.pop_back(); // the guard sample past the block
    return l;
}

double db(double x) {
    return 20.0 * std::log10(x + 1e-12);
}

std::vector<float> play(const sp::Stages& s, double seconds = 0.25) {
    testhost::resetHost();
    Plugin p(kRate, 512);
    sp::apply(p, s);
    return hold(p, seconds);
}

using Edit = std::pair<int, std::pair<int, float>>; // sample, {tag, value}

// Notes that start and end at their own samples (note k on key keyOf(k)) with parameter edits
// at theirs, every such sample ending a block, played together and each alone on the patch
// `setUp` makes: the sum of the voices alone must match them together (within a few parts in
// ten thousand of the peak; a state left behind or shared by lanes is off by percents), with
// no NaN or denormal. Each render is each block's left channel, then its right one.
struct NoteTimes {
    int notes, length;
    std::function<int(int)> startOf, endOf, keyOf;
};
// `notes` keys `keyStep` semitones apart from key 40, struck every `spacing` samples from sample
// 37: the odd ones end `held` + 311 k samples after their start, the even ones sound to the end.
NoteTimes staggeredNotes(int notes, int length, int spacing, int held, int keyStep) {
    auto startOf = [spacing](int k) { return 37 + spacing * k; };
    return {notes, length, startOf,
            [startOf, held, length](int k) { return k % 2 ? startOf(k) + held + 311 * k : length; },
            [keyStep](int k) { return 40 + keyStep * k; }};
}
// The render of note `only` (every note: -1) with the edits, each block's left channel, then its
// right one; through the module of `entry` where given, else through ZEK2.so.
std::vector<float> renderNotes(const std::function<void(Plugin&)>& setUp, const NoteTimes& t,
                               const std::vector<Edit>& edits, int only,
                               testhost::EntryProc entry = nullptr) {
    testhost::resetHost();
    Plugin p(kRate, 512, entry);
    setUp(p);
    p.setParameter(tag::MainVolume, 0.02f);
    p.setParameter(tag::VelocityToVolume, 0.0f);
    p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
    p.setParameter(tag::Osc2FreeRunningOn, 0.0f);
    std::vector<float> l, r, out;
    p.process(4096, l, r);
    std::vector<int> cuts = {t.length};
    for (int k = 0; k < t.notes; ++k) cuts.insert(cuts.end(), {t.startOf(k), t.endOf(k)});
    for (const Edit& e : edits) cuts.push_back(e.first);
    std::sort(cuts.begin(), cuts.end());
    int at = 0;
    for (int cut : cuts) {
        if (cut > at) {
            p.process(cut - at, l, r);
            out.insert(out.end(), l.begin(), l.end() - 1);
            out.insert(out.end(), r.begin(), r.end() - 1);
            at = cut;
        }
        for (const Edit& e : edits)
            if (e.first == cut) p.setParameter(e.second.first, e.second.second);
        for (int k = 0; k < t.notes; ++k) {
            if (only >= 0 && k != only) continue;
            if (t.startOf(k) == cut) p.sendMidi({{0, 0x90, t.keyOf(k), 100}});
            if (t.endOf(k) == cut && cut < t.length) p.sendMidi({{0, 0x80, t.keyOf(k), 0}});
        }
    }
    EXPECT_TRUE(audio::allFiniteNormal(out));
    return out;
}

void expectVoicesSoundAsAlone(const std::function<void(Plugin&)>& setUp, const NoteTimes& t,
                              const std::vector<Edit>& edits) {
    auto render = [&](int only) { return renderNotes(setUp, t, edits, only); };
    const std::vector<float> together = render(-1);
    std::vector<double> sum(together.size(), 0.0);
    for (int k = 0; k < t.notes; ++k) {
        const std::vector<float> alone = render(k);
        for (size_t i = 0; i < sum.size() && i < alone.size(); ++i) sum[i] += alone[i];
    }
    double peak = 0.0, worst = 0.0;
    size_t worstAt = 0;
    for (size_t i = 0; i < together.size(); ++i) {
        peak = std::fmax(peak, std::fabs(sum[i]));
        const double d = std::fabs(together[i] - sum[i]);
        if (d > worst) worst = d, worstAt = i;
    }
    EXPECT_GT(peak, 0.05);
    EXPECT_LT(worst, 3e-3 * peak) << "at sample " << worstAt;
}

} // namespace

TEST(HostStages, FilterCutoffLowersTheUpperPartials) {
    sp::Stages open;
    open.filterType = sp::k24LP2;
    open.cutoff = 1.0f;
    sp::Stages closed = open;
    closed.cutoff = 0.4f; // 20 x 2^4 = 320 Hz
    const std::vector<float> a = play(open), b = play(closed);
    ASSERT_TRUE(audio::allFiniteNormal(a) && audio::allFiniteNormal(b));
    const double h8Open = audio::magnitudeAt(a, 8 * 220.0, kRate);
    const double h8Closed = audio::magnitudeAt(b, 8 * 220.0, kRate);
    EXPECT_GT(db(h8Open) - db(h8Closed), 30.0);
    // The fundamental, under the cutoff, keeps most of its level.
    EXPECT_GT(db(audio::magnitudeAt(b, 220.0, kRate)),
              db(audio::magnitudeAt(a, 220.0, kRate)) - 6.0);
    // The same cut in the unison block form.
    open.unison = closed.unison = sp::kSixVoices;
    open.filterType = closed.filterType = sp::k24LPZ;
    const std::vector<float> c = play(open), d = play(closed);
    EXPECT_GT(db(audio::magnitudeAt(c, 8 * 220.0, kRate)) -
                  db(audio::magnitudeAt(d, 8 * 220.0, kRate)),
              30.0);
}

TEST(HostStages, EqBoostAndVoiceStagesAreHeard) {
    sp::Stages flat;
    flat.eqs = true;
    flat.eqGain = 0.5f; // 0 dB: the bands do nothing
    sp::Stages boosted = flat;
    boosted.eqGain = 1.0f; // +20 dB on every band
    EXPECT_GT(db(audio::rms(play(boosted))) - db(audio::rms(play(flat))), 6.0);

    // The Tube distortion turns a quiet sine-like low-passed saw into a brighter sound.
    sp::Stages clean;
    clean.filterType = sp::k24LP2;
    clean.cutoff = 0.45f;
    sp::Stages tube = clean;
    tube.distortion = true;
    const std::vector<float> a = play(clean), b = play(tube);
    EXPECT_GT(db(audio::magnitudeAt(b, 5 * 220.0, kRate)) -
                  db(audio::magnitudeAt(a, 5 * 220.0, kRate)),
              6.0);
}

TEST(HostStages, EveryFilterTypeStaysFiniteAtFullResonanceAndDrive) {
    testhost::resetHost();
    Plugin p(kRate, 512);
    sp::Stages s;
    s.resonance = 1.0f;
    s.drive = 1.0f;
    s.envAmount = 1.0f;
    s.hp = true;
    s.eqs = true;
    s.eqGain = 1.0f;
    s.shaper = s.lofi = s.distortion = true;
    sp::apply(p, s);
    p.sendMidi({{0, 0x90, 36, 127}, {0, 0x90, 60, 127}, {0, 0x90, 84, 127}});
    std::vector<float> l, r;
    for (int type = 0; type < 43; ++type) {
        p.setParameter(tag::FilterType, sp::step(type, sp::kFilterTypeRange));
        for (float cutoff : {0.0f, 0.6f, 1.0f}) {
            p.setParameter(tag::FilterFrequency, cutoff);
            p.process(1024, l, r);
            l.pop_back(); // the guard sample past the block
            r.pop_back();
            ASSERT_TRUE(audio::allFiniteNormal(l)) << "type " << type;
            ASSERT_TRUE(audio::allFiniteNormal(r)) << "type " << type;
            ASSERT_LE(audio::peak(l), 1.0) << "type " << type;
        }
    }
    // A plain type afterwards sounds again: no state was left broken.
    p.setParameter(tag::FilterType, sp::step(sp::k24LP2, sp::kFilterTypeRange));
    p.setParameter(tag::FilterQ, 0.0f);
    p.process(4096, l, r);
    EXPECT_GT(audio::rms(l, 2048), 1e-3);
}

TEST(HostStages, HighPassStageAndLowFiAreHeard) {
    // The extra high-pass at 1280 Hz takes the 220 Hz fundamental away and leaves the upper
    // partials.
    sp::Stages plain;
    sp::Stages hp = plain;
    hp.hp = true;
    testhost::resetHost();
    Plugin a(kRate, 512), b(kRate, 512);
    sp::apply(a, plain);
    sp::apply(b, hp);
    b.setParameter(tag::HpFrequency, 0.6f); // 20 x 2^6 = 1280 Hz
    const std::vector<float> x = hold(a, 0.25), y = hold(b, 0.25);
    EXPECT_GT(db(audio::magnitudeAt(x, 220.0, kRate)) - db(audio::magnitudeAt(y, 220.0, kRate)),
              20.0);
    EXPECT_NEAR(db(audio::magnitudeAt(x, 16 * 220.0, kRate)),
                db(audio::magnitudeAt(y, 16 * 220.0, kRate)), 3.0);

    // The low-fi stage at full mix and its coarsest bits leaves audible steps behind.
    sp::Stages lofi;
    lofi.lofi = true;
    testhost::resetHost();
    Plugin c(kRate, 512);
    sp::apply(c, lofi);
    c.setParameter(tag::LowFiMix, 1.0f);
    c.setParameter(tag::LowFiBits, 1.0f);
    c.setParameter(tag::LowFiLowPassFrequency, 1.0f);
    const std::vector<float> z = hold(c, 0.25);
    ASSERT_TRUE(audio::allFiniteNormal(z));
    double diff = 0.0;
    for (size_t i = 0; i < z.size() && i < x.size(); ++i) diff += std::fabs(z[i] - x[i]);
    EXPECT_GT(diff / double(z.size()), 0.01);
}

// The stages run several voices side by side in one vector; each voice must still hear only
// its own settings. Three keys whose velocities set the low-fi low-pass (on for one voice, off
// for another) and the Tube drive apart: together they sound as the sum of each alone, within
// what the output stage leaves of the sum (a few thousandths, stages or not).
TEST(HostStages, VoicesWithDifferentStageSettingsSoundAsEachAlone) {
    constexpr int kVelocitySource = 17;
    constexpr int kDestTubeDrive = 161, kDestLowFiLowPass = 170;
    using Notes = std::vector<std::array<int, 4>>;
    auto render = [&](const Notes& notes) {
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::Stages s;
        s.shaper = s.lofi = s.distortion = true;
        s.distortMode = sp::kTube;
        s.eqs = true;
        sp::apply(p, s);
        p.setParameter(tag::MainVolume, 0.2f); // far below the output limiter
        p.setParameter(tag::VelocityToVolume, 0.0f);
        p.setParameter(tag::Osc1FreeRunningOn, 0.0f); // every note starts its wave afresh
        // The finest steps, so rounding in the sum of voices cannot flip a coarse step.
        p.setParameter(tag::LowFiNoise, 0.0f);
        p.setParameter(tag::LowFiBits, 0.0f);
        p.setParameter(tag::LowFiSampleRate, 0.0f);
        p.setParameter(tag::LowFiLowPassFrequency, 0.5f);
        p.setParameter(tag::Distortion1, 1.0f); // the Tube's limit open
        p.setParameter(tag::Distortion3, 0.0f); // its drive from the velocity alone
        const int dests[2] = {kDestLowFiLowPass, kDestTubeDrive};
        for (int slot = 0; slot < tag::ModSlotCount; ++slot) {
            p.setParameter(tag::ModDestFirst + slot,
                           slot < 2 ? (dests[slot] + 0.1f) / 399.99f : 0.0f);
            p.setParameter(tag::ModSourceFirst + slot, (kVelocitySource + 0.1f) / 127.99f);
            p.setParameter(tag::ModLowerFirst + slot, 0.0f);
            p.setParameter(tag::ModUpperFirst + slot, 1.0f);
            p.setParameter(tag::ModOffsetFirst + slot, 0.5f);
            p.setParameter(tag::ModAmountFirst + slot, 1.0f);
            p.setParameter(tag::ModBypassFirst + slot, 0.0f);
        }
        std::vector<float> l, r;
        p.process(4096, l, r); // the slow update takes the patch up
        p.sendMidi(notes);
        p.process(static_cast<VstInt32>(0.3 * kRate), l, r);
        l.pop_back();
        return l;
    };
    auto relativeDifference = [](const std::vector<float>& a, const std::vector<float>& b) {
        double diff = 0.0, level = 0.0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            diff += (a[i] - b[i]) * (a[i] - b[i]);
            level += b[i] * b[i];
        }
        return std::sqrt(diff / (level + 1e-30));
    };
    const Notes keys = {{0, 0x90, 45, 20}, {0, 0x90, 57, 127}, {0, 0x90, 64, 70}};
    const std::vector<float> all = render(keys);
    ASSERT_TRUE(audio::allFiniteNormal(all));
    std::vector<float> sum(all.size(), 0.0f);
    for (const auto& key : keys) {
        const std::vector<float> alone = render({key});
        for (size_t i = 0; i < sum.size(); ++i) sum[i] += alone[i];
    }
    EXPECT_LT(relativeDifference(all, sum), 1e-2) << "a voice took another one's stage settings";
    // The velocities really set the voices' stages apart: the same key at another velocity
    // (the volume does not follow it) sounds different.
    const std::vector<float> soft = render({{0, 0x90, 57, 20}}), hard = render({keys[1]});
    EXPECT_GT(relativeDifference(soft, hard), 0.1);
}

// The EQ cut filters and the distortion effect's two bands keep their last design while their
// controls stand still. Their controls edited under a held note must reach the sound as if they
// had been set from the start: once the glide has settled, the partials match an instance that
// had the edit before the note, with and without unison.
TEST(HostStages, EqAndEffectBandEditsUnderAHeldNoteMatchAFreshStart) {
    constexpr int kEffectBandGain1 = tag::DistortionFx1 + 3,
                  kEffectBandGain2 = kEffectBandGain1 + 1;
    const int preEq = tag::PreEqOn, postEq = tag::PreEqOn + tag::EqStride;
    auto edit = [&](Plugin& p) {
        p.setParameter(preEq + 11, 0.55f);  // the low-pass down to about 900 Hz
        p.setParameter(postEq + 12, 0.35f); // the high-pass up to about 230 Hz
        p.setParameter(kEffectBandGain1, 1.0f);
        p.setParameter(kEffectBandGain2, 0.0f);
    };
    // 0: never edited, 1: edited under the note, 2: edited before it.
    auto render = [&](int unison, int when) {
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::Stages s;
        s.eqs = true;
        s.eqMode = 3; // both cut filters
        s.unison = unison;
        sp::apply(p, s);
        p.setParameter(tag::MainVolume, 0.3f);
        p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
        p.setParameter(tag::BypassFxOn, 0.0f);
        p.setParameter(tag::DistortFxOn, 1.0f);
        p.setParameter(tag::DistortFxMode, 0.1f / 39.99f); // "Amp"
        p.setParameter(tag::DistortionFxMix, 1.0f);
        p.setParameter(kEffectBandGain1, 0.5f);
        p.setParameter(kEffectBandGain2, 0.5f);
        if (when == 2) edit(p);
        std::vector<float> l, r;
        p.process(4096, l, r);
        p.sendMidi({{0, 0x90, kKey, 100}});
        p.process(static_cast<VstInt32>(0.4 * kRate), l, r);
        if (when == 1) edit(p);
        p.process(static_cast<VstInt32>(1.2 * kRate), l, r);
        l.pop_back();
        EXPECT_TRUE(audio::allFiniteNormal(l));
        return std::vector<float>(l.end() - static_cast<long>(0.25 * kRate), l.end());
    };
    for (int unison : {0, sp::kSixVoices}) {
        SCOPED_TRACE(unison);
        const std::vector<float> before = render(unison, 0), under = render(unison, 1),
                                 fresh = render(unison, 2);
        double heard = 0.0;
        for (int h : {1, 2, 4, 8, 16}) {
            const double freq = 220.0 * h;
            const double u = db(audio::magnitudeAt(under, freq, kRate));
            const double f = db(audio::magnitudeAt(fresh, freq, kRate));
            EXPECT_NEAR(u, f, 0.5) << freq;
            heard = std::fmax(heard, std::fabs(db(audio::magnitudeAt(before, freq, kRate)) - f));
        }
        EXPECT_GT(heard, 6.0); // the edit is heard
    }
}

// The EQ bands, the waveshaper's folds and the low-fi steps keep their last design while their
// controls stand still. Each group edited under a held note must sound, once settled, as an
// instance that had the edit before the note, with and without unison.
TEST(HostStages, BandShaperAndLowFiEditsUnderAHeldNoteMatchAFreshStart) {
    const int preEq = tag::PreEqOn, postEq = tag::PreEqOn + tag::EqStride;
    struct Group {
        const char* name;
        std::vector<std::pair<int, float>> edits;
        bool shapeOnly;
    };
    // The EQ groups compare the partials against the fundamental: their boosts overload the
    // output for a moment, and the auto-limit then lowers "Main Volume" by an amount that
    // depends on when the boost came, so the whole level may end up to about 1 dB off a fresh
    // start, the same at every partial; a band left on its old design changes the shape.
    const Group groups[] = {
        {"EQ gains", {{preEq + 3, 0.0f}, {postEq + 3 + tag::EqBandStride, 1.0f}}, true},
        {"EQ shapes", {{preEq + 1, 0.55f}, {preEq + 2, 0.9f}}, true},
        {"shaper", {{tag::WaveShaperTop, 0.65f}, {tag::WaveShaperBottom, 0.6f}}, false},
        {"low-fi", {{tag::LowFiBits, 0.9f}, {tag::LowFiSampleRate, 0.6f}}, false},
    };
    // 0: never edited, 1: edited under the note, 2: edited before it.
    auto render = [&](const Group& g, int unison, int when) {
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::Stages s;
        s.eqs = true;
        s.eqMode = 0;
        s.shaper = s.lofi = true;
        s.unison = unison;
        sp::apply(p, s);
        p.setParameter(tag::MainVolume, 0.3f);
        p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
        auto edit = [&] {
            for (const auto& [t, v] : g.edits) p.setParameter(t, v);
        };
        if (when == 2) edit();
        std::vector<float> l, r;
        p.sendMidi({{0, 0x90, kKey, 100}});
        p.process(static_cast<VstInt32>(0.4 * kRate), l, r);
        if (when == 1) edit();
        p.process(static_cast<VstInt32>(1.0 * kRate), l, r);
        l.pop_back();
        EXPECT_TRUE(audio::allFiniteNormal(l));
        return std::vector<float>(l.end() - static_cast<long>(0.25 * kRate), l.end());
    };
    // The sanitizer build checks each group in one form, alternating, so both still run.
    for (size_t i = 0; i < std::size(groups); ++i)
        for (int unison : {0, sp::kSixVoices}) {
            const Group& g = groups[i];
            if (testenv::kSanitized && (unison != 0) != (i % 2 == 1)) continue;
            SCOPED_TRACE(std::string(g.name) + " unison " + std::to_string(unison));
            const std::vector<float> before = render(g, unison, 0), under = render(g, unison, 1),
                                     fresh = render(g, unison, 2);
            auto level = [&](const std::vector<float>& x, int h) {
                const double at = db(audio::magnitudeAt(x, 220.0 * h, kRate));
                return g.shapeOnly ? at - db(audio::magnitudeAt(x, 220.0, kRate)) : at;
            };
            double heard = 0.0;
            for (int h : {1, 2, 3, 4, 6, 8}) {
                EXPECT_NEAR(level(under, h), level(fresh, h), 0.5) << h;
                heard = std::fmax(heard, std::fabs(level(before, h) - level(fresh, h)));
            }
            EXPECT_GT(heard, 1.5); // the edit is heard
        }
}

// A pass whose filters are all bypassed at the centre pan, with every stage off, leaves the
// voices' frames where the oscillators put them. Each input of that choice edited under a held
// note (the filter's type, its pre-drive on and off again, the high-pass stage, the filter pan
// through a modulation slot, a stage switched on) must sound, once settled, as an instance that
// had the edit before the note, with and without unison.
TEST(HostStages, FilterBypassEditsUnderAHeldNoteMatchAFreshStart) {
    constexpr int kVelocitySource = 17, kDestFilterPan = 118;
    using Edits = std::vector<std::pair<int, float>>;
    struct Case {
        const char* name;
        Edits base, edits;
    };
    const Edits panRoute = {{tag::ModDestFirst, (kDestFilterPan + 0.1f) / 399.99f},
                            {tag::ModSourceFirst, (kVelocitySource + 0.1f) / 127.99f},
                            {tag::ModLowerFirst, 0.0f},
                            {tag::ModUpperFirst, 1.0f},
                            {tag::ModOffsetFirst, 0.5f},
                            {tag::ModAmountFirst, 1.0f},
                            {tag::ModBypassFirst, 1.0f}};
    const Case cases[] = {
        {"type", {}, {{tag::FilterType, sp::step(sp::k24LP2, sp::kFilterTypeRange)}}},
        {"drive on", {}, {{tag::FilterPreDistort, 0.8f}}},
        {"drive off", {{tag::FilterPreDistort, 0.8f}}, {{tag::FilterPreDistort, 0.0f}}},
        {"high-pass", {}, {{tag::HpOn, 1.0f}, {tag::HpFrequency, 0.55f}}},
        {"filter pan", panRoute, {{tag::ModBypassFirst, 0.0f}}},
        {"shaper", {}, {{tag::WaveShaperOn, 1.0f}}},
    };
    // 0: never edited, 1: edited under the note, 2: edited before it. Left and right.
    auto render = [&](const Case& c, int unison, int when) {
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::Stages s;
        s.filterType = 0;
        s.cutoff = 0.45f;
        s.unison = unison;
        sp::apply(p, s);
        p.setParameter(tag::MainVolume, 0.3f);
        p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
        auto set = [&](const Edits& edits) {
            for (const auto& [t, v] : edits) p.setParameter(t, v);
        };
        set(c.base);
        if (when == 2) set(c.edits);
        std::vector<float> l, r;
        p.process(4096, l, r);
        p.sendMidi({{0, 0x90, kKey, 100}});
        p.process(static_cast<VstInt32>(0.4 * kRate), l, r);
        if (when == 1) set(c.edits);
        p.process(static_cast<VstInt32>(1.0 * kRate), l, r);
        l.pop_back();
        r.pop_back();
        EXPECT_TRUE(audio::allFiniteNormal(l) && audio::allFiniteNormal(r));
        const long tail = static_cast<long>(0.25 * kRate);
        return std::array<std::vector<float>, 2>{std::vector<float>(l.end() - tail, l.end()),
                                                 std::vector<float>(r.end() - tail, r.end())};
    };
    for (const Case& c : cases)
        for (int unison : {0, sp::kSixVoices}) {
            SCOPED_TRACE(std::string(c.name) + " unison " + std::to_string(unison));
            const auto before = render(c, unison, 0), under = render(c, unison, 1),
                       fresh = render(c, unison, 2);
            double heard = 0.0;
            for (int ch = 0; ch < 2; ++ch)
                for (int h : {1, 2, 3, 4, 6, 8}) {
                    const double f = db(audio::magnitudeAt(fresh[ch], 220.0 * h, kRate));
                    EXPECT_NEAR(db(audio::magnitudeAt(under[ch], 220.0 * h, kRate)), f, 0.5)
                        << ch << " " << h;
                    heard = std::fmax(
                        heard, std::fabs(db(audio::magnitudeAt(before[ch], 220.0 * h, kRate)) - f));
                }
            EXPECT_GT(heard, 1.5); // the edit is heard
        }
}

// A comb at the played pitch with feedback near 1 rings up to its limit. The unison form of the
// filter must limit it where the plain form does: switching unison on keeps the peak (it fell
// by 10 dB when the unison form limited at a tenth of the level).
TEST(HostStages, CombLimitIsTheSameWithAndWithoutUnison) {
    constexpr int kTwoVoices = 1; // "Unison Mode" index of "2 Voices"
    auto peak = [](int unison) {
        sp::Stages s;
        s.filterType = sp::kCombPlus;
        s.cutoff = static_cast<float>(std::log2(220.0 / 20.0) / 10.0); // the key's pitch
        s.resonance = 1.0f;
        s.unison = unison;
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::apply(p, s);
        p.setParameter(tag::UnisonAmount, 0.0f);
        p.setParameter(tag::MainVolume, 0.1f); // -53 dB: the ringing comb stays below the clamp
        return audio::peak(hold(p, 0.5));
    };
    const double plain = peak(0);
    ASSERT_GT(plain, 0.03);
    ASSERT_LT(plain, 0.5);
    for (int unison : {kTwoVoices, sp::kSixVoices}) {
        const double ratio = peak(unison) / plain;
        EXPECT_GT(ratio, 0.7) << "unison " << unison;
        EXPECT_LT(ratio, 1.5) << "unison " << unison;
    }
}

// A band at 0 dB is skipped and keeps no history; the EQ decides which lanes run a band from the
// voices it is given and the bands' flags, and keeps that choice while both stand. A band turned
// on from flat, or back to flat, under held notes must sound, once settled, as an instance that
// had the gain before the notes: with one voice and with two sharing a step.
TEST(HostStages, EqBandsTurnedOnAndOffUnderHeldNotesMatchAFreshStart) {
    const int bandGain = tag::PreEqOn + 3 + tag::EqBandStride; // the 640 Hz band
    // 0: never edited, 1: edited under the notes, 2: edited before them.
    auto render = [&](float from, float to, int keys, int when) {
        testhost::resetHost();
        Plugin p(kRate, 512);
        sp::Stages s;
        s.eqs = true;
        s.eqMode = 0;
        s.eqGain = 0.5f; // every band flat
        sp::apply(p, s);
        p.setParameter(tag::MainVolume, 0.2f);
        p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
        p.setParameter(bandGain, when == 2 ? to : from);
        std::vector<float> l, r;
        p.process(4096, l, r);
        for (int k = 0; k < keys; ++k) p.sendMidi({{0, 0x90, kKey + 12 * k, 100}});
        p.process(static_cast<VstInt32>(0.3 * kRate), l, r);
        if (when == 1) p.setParameter(bandGain, to);
        p.process(static_cast<VstInt32>(0.8 * kRate), l, r);
        l.pop_back();
        EXPECT_TRUE(audio::allFiniteNormal(l));
        return std::vector<float>(l.end() - static_cast<long>(0.25 * kRate), l.end());
    };
    const std::pair<float, float> edits[] = {{0.5f, 1.0f}, {1.0f, 0.5f}};
    for (const auto& [from, to] : edits)
        for (int keys : {1, 2}) {
            SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to) + ", keys " +
                         std::to_string(keys));
            const std::vector<float> before = render(from, to, keys, 0),
                                     under = render(from, to, keys, 1),
                                     fresh = render(from, to, keys, 2);
            // Against the fundamental, as an overload's auto-limit may move the whole level.
            auto level = [&](const std::vector<float>& x, int h) {
                return db(audio::magnitudeAt(x, 220.0 * h, kRate)) -
                       db(audio::magnitudeAt(x, 220.0, kRate));
            };
            for (int h : {2, 3, 4, 6}) EXPECT_NEAR(level(under, h), level(fresh, h), 0.5) << h;
            EXPECT_GT(std::fabs(level(before, 3) - level(fresh, 3)), 6.0); // the band is heard
        }
}

// A filter keeps its pair's joined coefficients and states between passes while it meets the
// same partner with the same type; voices that start and end change the partners, and a type,
// cutoff, resonance or high-pass edit under the notes, landing at each voice's own control step,
// splits and joins pairs again. Each voice must still sound as it does alone, with the same
// edits at the same samples: the sum of the voices rendered alone matches them played together
// (within a few parts in ten thousand of the peak; a state or coefficient left behind by a pair
// is off by tens of percent).
TEST(HostStages, FilterEditsWhileVoicesComeAndGoSoundAsEachVoiceAlone) {
    constexpr int kLength = 33600;
    const NoteTimes times = staggeredNotes(16, kLength, 991, 9000, 2);
    const std::vector<Edit> edits = {
        {6000, {tag::FilterFrequency, 0.35f}},
        {9501, {tag::FilterQ, 0.8f}},
        {12001, {tag::FilterType, sp::step(sp::k24LPZ, sp::kFilterTypeRange)}},
        {15003, {tag::FilterType, sp::step(7, sp::kFilterTypeRange)}}, // runs alone
        {18007, {tag::FilterType, sp::step(13, sp::kFilterTypeRange)}},
        {21011, {tag::HpOn, 0.0f}},
        {24013, {tag::FilterType, sp::step(sp::k24LP2, sp::kFilterTypeRange)}},
        {24013, {tag::FilterFrequency, 0.6f}},
        {27000, {tag::HpOn, 1.0f}},
    };
    // The resonant ladder with drive, envelope and high-pass; no stage after the filter.
    sp::Stages s = scenariopatch::fullVoicePath();
    s.eqs = s.shaper = s.lofi = s.distortion = false;
    expectVoicesSoundAsAlone([&](Plugin& p) { sp::apply(p, s); }, times, edits);
}

// Under unison the EQs, the Tube distortion and the low-fi run the sub-voices of several voices,
// or of two lane groups, side by side; a unison count lowered under the notes (five leave a
// group half full), voices that start and end, and stage edits at any sample move every
// sub-voice to other lanes. Each voice must still sound as it does alone with the same events
// at the same samples (the sum of the voices alone matches them played together), with no NaN.
TEST(HostStages, UnisonStagesUnderCountAndStageEditsSoundAsEachVoiceAlone) {
    constexpr int kLength = 21000;
    const NoteTimes times = staggeredNotes(7, kLength, 1291, 7000, 3);
    auto unison = [](int index) { return sp::step(index, sp::kUnisonRange); };
    const std::vector<Edit> edits = {
        {5003, {tag::PreEqOn + 10, sp::step(3, sp::kEqModeRange)}},
        {7001, {tag::Distortion1 + 2, 0.9f}}, // the Tube's drive
        {9007, {tag::UnisonMode, unison(4)}}, // "5 Voices"
        {11003, {tag::LowFiMix, 0.8f}},
        {13001, {tag::WaveShaperMix, 0.2f}},
        {15011, {tag::UnisonMode, unison(3)}}, // "4 Voices"
        {17003, {tag::PreEqOn + tag::EqStride + 10, sp::step(2, sp::kEqModeRange)}},
    };
    sp::Stages s = scenariopatch::fullVoicePath();
    s.unison = sp::kSixVoices;
    expectVoicesSoundAsAlone(
        [&](Plugin& p) {
            sp::apply(p, s);
            p.setParameter(tag::LowFiNoise, 0.0f); // the noise draws follow the voices' order
        },
        times, edits);
}

// The stages run eight lanes where the processor has AVX2 and four where it has not
// (ZEK2_NO_AVX2=1 at construction keeps four): both forms give the same bits under unison, with
// the comb filter, stage edits at odd samples, voices that come and go and a unison count
// lowered under the notes, and without unison, where the voice filters run two pairs at once
// (through each family of filter that pairs) and voices that end leave the EQs' pairs half used.
// ZEK2_COMPARE_PLUGIN may name another build of the plug-in, whose eight lanes must give this
// build's bits too: tools/test.sh names an unoptimised one, where no call is inlined, so a
// vector passed between code compiled for different targets reads garbage there.
TEST(HostStages, FourAndEightLaneStagesGiveTheSameBits) {
    constexpr int kLength = 16000;
    const NoteTimes times = staggeredNotes(6, kLength, 1291, 6000, 3);
    const char* other = std::getenv("ZEK2_COMPARE_PLUGIN");
    const testhost::EntryProc otherBuild =
        other && *other ? testhost::loadEntryPoint(other) : nullptr;
    for (int type : {sp::kCombPlus, sp::k24LPZ, sp::k24LP2}) {
        // Without unison (the last type) the voices' filters and EQs run two pairs side by side.
        const bool unison = type != sp::k24LP2;
        std::vector<Edit> edits = {
            {5003, {tag::PreEqOn + 10, sp::step(3, sp::kEqModeRange)}},
            {7001, {tag::Distortion1 + 2, 0.9f}},
            {11003, {tag::LowFiMix, 0.8f}},
            {13001, {tag::WaveShaperMix, 0.2f}},
        };
        if (unison) edits.push_back({9007, {tag::UnisonMode, sp::step(4, sp::kUnisonRange)}});
        // One-pole, state-variable, both in a row, zero-delay, while four voices or more sound.
        if (!unison)
            for (auto [at, next] : {std::pair{4507, 1}, {6007, 3}, {8009, 17}, {10007, 27}})
                edits.push_back({at, {tag::FilterType, sp::step(next, sp::kFilterTypeRange)}});
        sp::Stages s = scenariopatch::fullVoicePath();
        s.unison = unison ? sp::kSixVoices : 0;
        s.filterType = type;
        auto setUp = [&](Plugin& p) {
            sp::apply(p, s);
            // The Pre-EQ's first band at 0 dB, raised by the note from key 47 up: the low keys
            // leave it off, so voices side by side run different bands.
            p.setParameter(tag::PreEqBand1Gain, 0.5f);
            p.setParameter(tag::ModBypassFirst, 0.0f);
            p.setParameter(tag::ModSourceFirst, (5 + 0.1f) / 127.99f); // "Note"
            p.setParameter(tag::ModDestFirst, (134 + 0.1f) / 399.99f); // "Pre-EQ Band 1 Gain"
            p.setParameter(tag::ModLowerFirst, 0.37f);
            p.setParameter(tag::ModUpperFirst, 1.0f);
            p.setParameter(tag::ModAmountFirst, 0.9f);
        };
        setenv("ZEK2_NO_AVX2", "1", 1);
        const std::vector<float> four = renderNotes(setUp, times, edits, -1);
        unsetenv("ZEK2_NO_AVX2");
        const std::vector<float> eight = renderNotes(setUp, times, edits, -1);
        ASSERT_EQ(four.size(), eight.size());
        EXPECT_GT(audio::rms(eight), 1e-3);
        auto firstDifference = [&](const std::vector<float>& a) {
            size_t first = 0;
            while (first < a.size() && std::memcmp(&a[first], &eight[first], sizeof(float)) == 0)
                ++first;
            return first;
        };
        EXPECT_EQ(firstDifference(four), four.size()) << "filter type " << type;
        if (!otherBuild) continue;
        const std::vector<float> there = renderNotes(setUp, times, edits, -1, otherBuild);
        ASSERT_EQ(there.size(), eight.size());
        EXPECT_EQ(firstDifference(there), there.size())
            << "filter type " << type << " in " << other;
    }
}
