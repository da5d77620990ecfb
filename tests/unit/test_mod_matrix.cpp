// The modulation matrix on the engine: the slot window and its outputs, bipolar and symmetric
// sources, Center Note, slot-amount chains, volume and pitch destinations, the note-start form,
// the selectors, and the Main Volume law.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int kVelocity = 17, kPitchbend = 18, kCenterNote = 6, kMainLfo = 60, kOffset = 101;
constexpr int kMainVolumeDest = 1, kVoiceVolume = 2, kGlobalPitch = 8, kFilterFreq = 114;
constexpr int kSlotAmount1 = 307;

std::unique_ptr<APlugin> makeEngine() {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(48000.0f);
    for (int s = 0; s < 16; ++s) e->setParameter(tag::ModDestFirst + s, 0.0f);
    return e;
}

// One slot; lower, upper, offset and amount are the 0..1 parameter values.
void setSlot(APlugin& e, int s, int source, int dest, float lower, float upper, float offset,
             float amount) {
    e.setParameter(tag::ModSourceFirst + s, (source + 0.1f) / 127.99f);
    e.setParameter(tag::ModDestFirst + s, (dest + 0.1f) / 399.99f);
    e.setParameter(tag::ModLowerFirst + s, lower);
    e.setParameter(tag::ModUpperFirst + s, upper);
    e.setParameter(tag::ModOffsetFirst + s, offset);
    e.setParameter(tag::ModAmountFirst + s, amount);
    e.setParameter(tag::ModBypassFirst + s, 0.0f);
    e.setModSlotTable();
}

// One voice's evaluation of every pass.
void evaluate(APlugin& e, int voice) {
    e.setVoiceModLanes(&voice, 1);
}

// The same source value through both evaluations; both must agree.
float contribution(APlugin& e, int source, float x, int dest) {
    e.lastVoiceSource[source] = x;
    e.setGlobalMod();
    e.voiceSource[3][source] = x;
    e.setDefaultVoiceMod(3); // as the voice's control-rate update does before its passes
    evaluate(e, 3);
    EXPECT_FLOAT_EQ(e.globalDest[dest], e.voiceDest[3][dest]) << "source value " << x;
    return e.voiceDest[3][dest];
}

} // namespace

TEST(ModMatrix, WindowMapsTheSourceFromOffsetToAmount) {
    auto e = makeEngine();
    // Velocity over the window 0.2..0.6, output from -0.5 at the bottom to 1.0 at the top.
    setSlot(*e, 0, kVelocity, kFilterFreq, 0.2f, 0.6f, 0.25f, 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.1f, kFilterFreq), 0.0f); // below: nothing
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.2f, kFilterFreq), -0.5f);
    EXPECT_NEAR(contribution(*e, kVelocity, 0.4f, kFilterFreq), 0.25f, 1e-6f);
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.9f, kFilterFreq), 1.0f); // clamped above

    // Upper at or below lower silences the slot.
    setSlot(*e, 0, kVelocity, kFilterFreq, 0.6f, 0.2f, 0.25f, 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.4f, kFilterFreq), 0.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.9f, kFilterFreq), 0.0f);

    // A window narrower than 0.01 only shifts the source, in the global form too (it once
    // divided by the width there, multiplying the source by up to 100,000).
    setSlot(*e, 0, kVelocity, kFilterFreq, 0.5f, 0.505f, 0.25f, 1.0f);
    EXPECT_NEAR(contribution(*e, kVelocity, 0.7f, kFilterFreq), 0.2f * 1.5f - 0.5f, 1e-6f);

    // A bypassed slot or one without destination is not listed; its destination rests.
    e->setParameter(tag::ModBypassFirst, 1.0f);
    e->setModSlotTable();
    EXPECT_EQ(e->modSlotCount, 0);
    EXPECT_FLOAT_EQ(contribution(*e, kVelocity, 0.7f, kFilterFreq), 0.0f);
}

TEST(ModMatrix, BipolarSymmetricAndCenterNoteSources) {
    auto e = makeEngine();
    // Pitchbend is symmetric: -amount .. +amount whatever the offset.
    setSlot(*e, 0, kPitchbend, kFilterFreq, 0.0f, 1.0f, 0.9f, 0.75f);
    EXPECT_FLOAT_EQ(contribution(*e, kPitchbend, -1.0f, kFilterFreq), -0.5f);
    EXPECT_FLOAT_EQ(contribution(*e, kPitchbend, 0.0f, kFilterFreq), 0.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kPitchbend, 1.0f, kFilterFreq), 0.5f);

    // The Main LFO is bipolar with an offset; above its window it keeps growing (no clamp).
    setSlot(*e, 0, kMainLfo, kFilterFreq, 0.25f, 0.75f, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kMainLfo, -0.5f, kFilterFreq), 0.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kMainLfo, 0.5f, kFilterFreq), 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kMainLfo, 1.0f, kFilterFreq), 1.5f);

    // Center Note ignores even a silencing window.
    setSlot(*e, 0, kCenterNote, kFilterFreq, 0.9f, 0.1f, 0.0f, 0.75f);
    EXPECT_FLOAT_EQ(contribution(*e, kCenterNote, 0.5f, kFilterFreq), 0.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kCenterNote, 1.0f, kFilterFreq), 0.5f);

    // Two slots on one destination add.
    setSlot(*e, 0, kOffset, kFilterFreq, 0.0f, 1.0f, 0.5f, 0.75f);
    setSlot(*e, 1, kOffset, kFilterFreq, 0.0f, 1.0f, 0.5f, 0.6f);
    EXPECT_NEAR(contribution(*e, kOffset, 1.0f, kFilterFreq), 0.7f, 1e-6f);
}

TEST(ModMatrix, SlotAmountChainsLagOneEvaluationAndLoopsStayBounded) {
    auto e = makeEngine();
    // Slot 1 lowers slot 2's amount by 0.5, one evaluation later.
    setSlot(*e, 0, kOffset, kSlotAmount1 + 1, 0.0f, 1.0f, 0.5f, 0.25f);
    setSlot(*e, 1, kOffset, kFilterFreq, 0.0f, 1.0f, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kOffset, 1.0f, kFilterFreq), 1.0f);
    EXPECT_FLOAT_EQ(contribution(*e, kOffset, 1.0f, kFilterFreq), 0.5f);

    // A slot feeding its own amount, and two feeding each other, stay finite and bounded.
    setSlot(*e, 0, kOffset, kSlotAmount1, 0.0f, 1.0f, 0.5f, 1.0f);
    setSlot(*e, 1, kOffset, kSlotAmount1 + 2, 0.0f, 1.0f, 0.5f, 1.0f);
    setSlot(*e, 2, kOffset, kSlotAmount1 + 1, 0.0f, 1.0f, 0.5f, 1.0f);
    for (int i = 0; i < 20000; ++i) contribution(*e, kOffset, 1.0f, kSlotAmount1);
    for (int d : {kSlotAmount1, kSlotAmount1 + 1, kSlotAmount1 + 2}) {
        EXPECT_TRUE(std::isfinite(e->globalDest[d]));
        EXPECT_LE(std::fabs(e->voiceDest[3][d]), 3.0f);
    }
}

TEST(ModMatrix, VolumeDestinationsMultiplyAndPitchIsInWholeCents) {
    auto e = makeEngine();
    e->voiceSource[5][kVelocity] = 0.25f;
    setSlot(*e, 0, kVelocity, kVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
    evaluate(*e, 5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kVoiceVolume], 0.25f); // full level only at velocity 1
    setSlot(*e, 1, kVelocity, kVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
    evaluate(*e, 5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kVoiceVolume], 0.0625f);          // two slots multiply
    setSlot(*e, 1, kVelocity, kVoiceVolume, 0.0f, 1.0f, 0.5f, 0.25f); // amount -0.5
    evaluate(*e, 5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kVoiceVolume], 0.25f * (0.75f * 0.5f + 0.5f));
    setSlot(*e, 1, kVelocity, kVoiceVolume, 0.0f, 1.0f, 0.5f, 0.5f); // amount 0: no change
    evaluate(*e, 5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kVoiceVolume], 0.25f);

    // 100.4 cents of Global Pitch arrive as 100 cents, in octaves.
    e->voiceSource[5][kOffset] = 1.0f;
    setSlot(*e, 1, kOffset, kGlobalPitch, 0.0f, 1.0f, 0.5f, 0.5f + 0.5f * 100.4f / 3600.0f);
    evaluate(*e, 5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kGlobalPitch], 1.0f / 12.0f);

    // The default restore keeps what the slots wrote and resets everything else.
    e->voiceDest[5][kFilterFreq] = 0.3f;
    e->setDefaultVoiceMod(5);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kFilterFreq], 0.0f);
    EXPECT_FLOAT_EQ(e->voiceDest[5][kGlobalPitch], 1.0f / 12.0f);
    EXPECT_FLOAT_EQ(e->voiceDest[5][16], 1.0f); // Osc 1 Volume's default gain
}

TEST(ModMatrix, NoteStartFormUsesBipolarOffsetsAndItsOwnVolumeSet) {
    auto e = makeEngine();
    e->voiceSource[2][kMainLfo] = -1.0f;
    e->voiceSource[2][kVelocity] = 0.5f;
    setSlot(*e, 0, kMainLfo, kFilterFreq, 0.0f, 1.0f, 0.5f, 1.0f);
    setSlot(*e, 1, kVelocity, kMainVolumeDest, 0.0f, 1.0f, 0.5f, 1.0f);
    setSlot(*e, 2, kVelocity, kVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
    e->setVoiceModNoteStart(2);
    EXPECT_FLOAT_EQ(e->voiceDest[2][kFilterFreq], -1.0f);    // a bipolar source from -amount
    EXPECT_FLOAT_EQ(e->voiceDest[2][kMainVolumeDest], 0.5f); // multiplies at the note start
    EXPECT_FLOAT_EQ(e->voiceDest[2][kVoiceVolume], 1.5f);    // adds at the note start
    evaluate(*e, 2);
    EXPECT_FLOAT_EQ(e->voiceDest[2][kFilterFreq], 0.0f); // every pass: the offset is used
    EXPECT_FLOAT_EQ(e->voiceDest[2][kVoiceVolume], 0.5f);
}

TEST(ModMatrix, SelectorsClampToTheTables) {
    EXPECT_EQ(APlugin::getModSrc(0.9f), 105); // positions above 105 select 105
    EXPECT_EQ(APlugin::getModSrc(1.0f), 105);
    EXPECT_EQ(APlugin::getModSrc(NAN), 0);
    auto e = makeEngine();
    setSlot(*e, 4, kVelocity, kFilterFreq, 0.0f, 1.0f, 0.5f, 1.0f);
    EXPECT_EQ(e->getModSrcBySlot(4), kVelocity);
    EXPECT_EQ(e->getModDestBySlot(4), kFilterFreq);
}

TEST(ModMatrix, ModValueForTheKnobRings) {
    auto e = makeEngine();
    // The rings read what the audio thread published at the end of its last block.
    const auto shown = [](APlugin& p, int t) {
        p.publishModShown();
        return p.getModValue(t);
    };
    e->setParameter(tag::FilterQ, 0.4f);
    const int qDest = e->getTagDest(tag::FilterQ);
    ASSERT_GT(qDest, 0);
    e->voiceDest[0][qDest] = 0.3f;
    EXPECT_FLOAT_EQ(shown(*e, tag::FilterQ), 0.4f); // nothing sounds: the plain value
    e->voicePressed[0] = 1;
    EXPECT_FLOAT_EQ(shown(*e, tag::FilterQ), 0.7f);
    e->voiceDest[0][qDest] = 0.9f;
    EXPECT_FLOAT_EQ(shown(*e, tag::FilterQ), 1.0f); // held to the knob's range
    // Main Volume shows the applied gain on its 70 dB scale.
    e->masterGain = 1.0f;
    EXPECT_NEAR(shown(*e, tag::MainVolume), 60.0f / 70.0f, 1e-6f);
    e->masterGain = 0.0f;
    EXPECT_EQ(shown(*e, tag::MainVolume), 0.0f);
}

TEST(ModMatrix, FourLaneEvaluationGivesEachVoiceItsOwnBits) {
    auto e = makeEngine();
    // Seven voices in one call (a full group of four, a short group that repeats its last
    // voice) against each voice alone: no lane reads or writes another voice's row. Every
    // form: adds, volumes, pitch, Center Note, bipolar and unipolar windows, a narrow and an
    // empty window, two slots on one destination, and slot-amount chains.
    const int sources[16] = {kVelocity, kMainLfo, kCenterNote, kPitchbend, kOffset, kMainLfo,
                             kVelocity, kOffset,  kMainLfo,    kVelocity,  kOffset, kPitchbend,
                             kMainLfo,  kOffset,  kVelocity,   kMainLfo};
    const int dests[16] = {kFilterFreq,  kFilterFreq,
                           kGlobalPitch, kVoiceVolume,
                           16,           kSlotAmount1 + 3,
                           21,           kSlotAmount1,
                           64,           kFilterFreq + 1,
                           kGlobalPitch, kSlotAmount1 + 5,
                           kVoiceVolume, 120,
                           122,          130};
    for (int s = 0; s < 16; ++s) {
        const float lower = s == 9 ? 0.7f : (s == 13 ? 0.5f : 0.1f * (s % 3));
        const float upper = s == 9 ? 0.3f : (s == 13 ? 0.505f : 1.0f - 0.1f * (s % 2));
        setSlot(*e, s, sources[s], dests[s], lower, upper, 0.3f + 0.02f * s, 0.05f + 0.06f * s);
    }
    e->setGlobalMod();
    const int voices[7] = {5, 0, 9, 3, 12, 1, 7};
    const float values[9] = {-1.5f, -0.25f, 0.0f, 0.3f, 0.75f, 1.0f, 2.5f, INFINITY, NAN};
    for (int k = 0; k < 7; ++k)
        for (int src : {kVelocity, kMainLfo, kCenterNote, kPitchbend, kOffset})
            e->voiceSource[voices[k]][src] = values[(k * 3 + src) % 9];
    // A few passes, so the chained amounts feed back from the previous evaluation.
    static float before[16][512], alone[16][512];
    for (int pass = 0; pass < 3; ++pass) {
        std::memcpy(before, e->voiceDest, sizeof(before));
        for (int v : voices) e->setVoiceModLanes(&v, 1);
        std::memcpy(alone, e->voiceDest, sizeof(alone));
        std::memcpy(e->voiceDest, before, sizeof(before));
        e->setVoiceModLanes(voices, 7);
        EXPECT_EQ(std::memcmp(alone, e->voiceDest, sizeof(alone)), 0) << "pass " << pass;
    }
}
