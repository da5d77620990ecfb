// The VST 2.4 base classes on their own: record flags, host-request answers without a host,
// the value-to-text helpers and the speaker-arrangement helpers.
#include "vst2/AEffEditor.h"
#include "vst2/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Probe : public AudioEffectX {
public:
    explicit Probe(audioMasterCallback host = nullptr) : AudioEffectX(host, 1, 4) {}
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override {
        lastIndex = index;
        lastValue = value;
    }
    VstInt32 flags() { return getAeffect()->flags; }
    VstInt32 lastIndex = -1;
    float lastValue = -1.0f;
};

// An editor that records the keys the dispatcher hands it.
class KeySpy : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    bool onKeyDown(VstKeyCode& key) override {
        last = key;
        return true;
    }
    VstKeyCode last{};
};

std::string intText(VstInt32 value, int maxLen = 12) {
    Probe probe;
    char buffer[64];
    std::memset(buffer, 'x', sizeof(buffer));
    probe.int2string(value, buffer, maxLen);
    EXPECT_EQ(buffer[maxLen + 1], 'x');
    return buffer;
}

} // namespace

TEST(Vst2Base, HostAnswersAreReadAsTheInterfaceSays) {
    static VstIntPtr answer = 0;
    auto host = [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return answer;
    };
    Probe probe(host);
    answer = 0;
    EXPECT_EQ(probe.getMasterVersion(), 1); // a version of 0 counts as 1
    EXPECT_EQ(probe.updateSampleRate(), 44100.0);
    answer = -5;
    EXPECT_EQ(probe.updateBlockSize(), 1024);
    answer = 2;
    EXPECT_FALSE(probe.sendVstEventsToHost(nullptr)); // only exactly 1 is true
    answer = 1;
    EXPECT_TRUE(probe.sendVstEventsToHost(nullptr));
    answer = 48000;
    EXPECT_EQ(probe.updateSampleRate(), 48000.0);
    EXPECT_FALSE(probe.isInputConnected(0)); // a non-zero answer means not connected
}

TEST(Vst2Base, IntegerText) {
    EXPECT_EQ(intText(100000000), "Huge!");
    EXPECT_EQ(intText(-42), "-42");
    EXPECT_EQ(intText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(intText(12345, 3), "123");
}

TEST(Vst2Base, SpeakerArrangements) {
    Probe probe;
    VstSpeakerArrangement* target = nullptr;
    EXPECT_FALSE(probe.matchArrangement(&target, nullptr));
    EXPECT_EQ(target, nullptr);

    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(probe.allocateArrangement(&source, 10)); // more than the declared eight
    source->type = 7;
    VstSpeakerProperties* speakers = source->speakers;
    std::memset(speakers[9].name, 'n', sizeof(speakers[9].name)); // no terminator
    speakers[9].azimuth = 0.5f;
    ASSERT_TRUE(probe.matchArrangement(&target, source));
    EXPECT_EQ(target->numChannels, 10);
    EXPECT_EQ(target->type, 7);
    VstSpeakerProperties* copied = target->speakers;
    EXPECT_EQ(std::strlen(copied[9].name), 63u);
    EXPECT_FLOAT_EQ(copied[9].azimuth, 0.5f);
    probe.deallocateArrangement(&source);
    probe.deallocateArrangement(&target);
    EXPECT_EQ(target, nullptr);
}

TEST(Vst2Base, KeyModifierComesFromTheHostFloatOnlyWhenItHasAnIntegerPart) {
    Probe probe;
    auto* keys = new KeySpy(&probe); // owned by the effect
    EXPECT_EQ(probe.dispatcher(effEditKeyDown, 'a', 0x1FF, nullptr, 258.9f), 1);
    EXPECT_EQ(keys->last.character, 'a');
    EXPECT_EQ(keys->last.virt, 0xFF);
    EXPECT_EQ(keys->last.modifier, 2); // the lowest byte of 258
    probe.dispatcher(effEditKeyDown, 0, 0, nullptr, -3.0f);
    EXPECT_EQ(keys->last.modifier, 253);
    // A float with no integer part in range is no modifier at all, never undefined behaviour.
    for (float bad : {NAN, INFINITY, -INFINITY, 1e30f, -3e9f, 2147483648.0f}) {
        keys->last.modifier = 99;
        EXPECT_EQ(probe.dispatcher(effEditKeyDown, 'b', 0, nullptr, bad), 1);
        EXPECT_EQ(keys->last.modifier, 0) << bad;
    }
}
