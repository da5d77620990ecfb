// The engine's calls to its host and the host messages that reach it: the edit brackets around
// an automated write, the NKS notification behind its capability, the mouse-wheel message and
// the range operations that tell (or do not tell) the host.
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// What the host answers, and every call it received since the last clear.
struct Recorder {
    std::string product = "Unit Host";
    bool canDoVendorCallbacks = false;
    VstIntPtr vendorAnswer = 1;
    VstIntPtr editAnswer = 1;
    std::vector<HostCall> calls;
    std::vector<std::string> canDoTexts;

    std::vector<HostCall> callsOf(VstInt32 opcode) const {
        std::vector<HostCall> out;
        for (const HostCall& c : calls)
            if (c.opcode == opcode) out.push_back(c);
        return out;
    }
};

Recorder& recorder() {
    static Recorder r;
    return r;
}

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                        float opt) {
    Recorder& r = recorder();
    r.calls.push_back({opcode, index, value, ptr, opt});
    switch (opcode) {
    case audioMasterGetProductString:
        std::strncpy(static_cast<char*>(ptr), r.product.c_str(), 63);
        return 1;
    case audioMasterCanDo:
        r.canDoTexts.emplace_back(static_cast<const char*>(ptr));
        return r.canDoVendorCallbacks && r.canDoTexts.back() == "NIMKPIVendorSpecificCallbacks";
    case audioMasterVendorSpecific:
        return r.vendorAnswer;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return r.editAnswer;
    default:
        return 0;
    }
}

std::unique_ptr<APlugin> makeEngine(const char* product = "Unit Host") {
    recorder() = Recorder{};
    recorder().product = product;
    auto engine = std::make_unique<APlugin>(recordingHost);
    recorder().calls.clear();
    return engine;
}

// An editor that records the wheel messages it is given.
class WheelSpy : public uEditor {
public:
    explicit WheelSpy(AudioEffect* effect) : uEditor(effect) {}
    bool onWheel(float distance) override {
        distances.push_back(distance);
        return handles;
    }
    bool handles = true;
    std::vector<float> distances;
};

// Puts a wheel spy in place of the engine's editor; the engine owns and deletes it.
WheelSpy* installWheelSpy(APlugin& engine) {
    AEffEditor* previous = engine.getEditor();
    auto* spy = new WheelSpy(&engine);
    delete previous;
    return spy;
}

constexpr VstInt32 kWheelIndex = 0x73744341;  // 's', 't', 'C', 'A'
constexpr VstIntPtr kWheelValue = 0x57686565; // 'W', 'h', 'e', 'e'

} // namespace

TEST(EngineHostCalls, AnEditIsBracketedByBeginAndEndEditForTheHost) {
    auto engine = makeEngine();
    EXPECT_TRUE(engine->beginEdit(tag::FilterFrequency));
    engine->setParameterAutomated(tag::FilterFrequency, 0.25f);
    EXPECT_TRUE(engine->endEdit(tag::FilterFrequency));
    const std::vector<HostCall>& calls = recorder().calls;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[0].index, tag::FilterFrequency);
    EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(calls[1].index, tag::FilterFrequency);
    EXPECT_FLOAT_EQ(calls[1].opt, 0.25f);
    EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(calls[2].index, tag::FilterFrequency);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::FilterFrequency), 0.25f);

    // The host's refusal is passed on.
    recorder().editAnswer = 0;
    EXPECT_FALSE(engine->beginEdit(3));
    EXPECT_FALSE(engine->endEdit(3));
}

TEST(EngineHostCalls, NKSNotificationIsSentOnlyToAHostThatCanTakeIt) {
    auto engine = makeEngine("MASCHINE 2");
    char data[16] = "payload";
    EXPECT_FALSE(engine->notifyNKSHost(5, data, sizeof(data)));
    ASSERT_EQ(recorder().canDoTexts.size(), 1u);
    EXPECT_EQ(recorder().canDoTexts[0], "NIMKPIVendorSpecificCallbacks");
    EXPECT_TRUE(recorder().callsOf(audioMasterVendorSpecific).empty());

    recorder().canDoVendorCallbacks = true;
    EXPECT_TRUE(engine->notifyNKSHost(5, data, sizeof(data)));
    // The id goes in the low 16 bits below the characters K and I; only its low 16 bits count.
    EXPECT_TRUE(engine->notifyNKSHost(0x20007, data, 3));
    const std::vector<HostCall> sent = recorder().callsOf(audioMasterVendorSpecific);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(static_cast<uint32_t>(sent[0].index), 0x4B490005u);
    EXPECT_EQ(sent[0].value, static_cast<VstIntPtr>(sizeof(data)));
    EXPECT_EQ(sent[0].ptr, data);
    EXPECT_EQ(sent[0].opt, 0.0f);
    EXPECT_EQ(static_cast<uint32_t>(sent[1].index), 0x4B490007u);
    EXPECT_EQ(sent[1].value, 3);

    // Only an answer of exactly 1 is an acceptance.
    recorder().vendorAnswer = 2;
    EXPECT_FALSE(engine->notifyNKSHost(5, data, sizeof(data)));
}

TEST(EngineHostCalls, WheelMessageReachesTheEditorOutsideNKSHosts) {
    auto engine = makeEngine("Ardour");
    WheelSpy* spy = installWheelSpy(*engine);
    EXPECT_EQ(engine->dispatcher(effVendorSpecific, kWheelIndex, kWheelValue, nullptr, -2.5f), 1);
    ASSERT_EQ(spy->distances.size(), 1u);
    EXPECT_EQ(spy->distances[0], -2.5f);
    spy->handles = false;
    EXPECT_EQ(engine->dispatcher(effVendorSpecific, kWheelIndex, kWheelValue, nullptr, 1.0f), 0);
    EXPECT_EQ(spy->distances.size(), 2u);
    // Another value or index is not the wheel.
    EXPECT_EQ(engine->dispatcher(effVendorSpecific, kWheelIndex, 0x1234, nullptr, 1.0f), 0);
    EXPECT_EQ(engine->dispatcher(effVendorSpecific, 0x4E49000C, kWheelValue, nullptr, 1.0f), 0);
    EXPECT_EQ(spy->distances.size(), 2u);

    // In an NKS host the same message is an unknown property query.
    auto nks = makeEngine("KOMPLETE Kontrol");
    WheelSpy* nksSpy = installWheelSpy(*nks);
    EXPECT_EQ(nks->dispatcher(effVendorSpecific, kWheelIndex, kWheelValue, nullptr, 1.0f), 0);
    EXPECT_TRUE(nksSpy->distances.empty());
}

TEST(EngineHostCalls, DefaultRangeIsAutomatedAndSwapRangeIsNot) {
    auto engine = makeEngine();
    const int first = tag::Osc1Volume, last = tag::Osc1Fine; // 12..15
    for (int t = first; t <= last; ++t) engine->setParameter(t, 0.01f * t);
    engine->setParameter(last + 1, 0.5f);
    recorder().calls.clear();

    engine->setToDefaultRange(first, last);
    for (int t = first; t <= last; ++t)
        EXPECT_FLOAT_EQ(engine->getParameter(t), engine->getDefaultValue(t)) << "tag " << t;
    EXPECT_FLOAT_EQ(engine->getParameter(last + 1), 0.5f);
    const std::vector<HostCall> told = recorder().callsOf(audioMasterAutomate);
    ASSERT_EQ(told.size(), static_cast<size_t>(last - first + 1));
    for (int t = first; t <= last; ++t) EXPECT_EQ(told[size_t(t - first)].index, t);

    // Reversed or invalid ends change nothing.
    for (int t = first; t <= last; ++t) engine->setParameter(t, 0.01f * t);
    engine->setToDefaultRange(last, first);
    engine->setToDefaultRange(-1, first);
    engine->setToDefaultRange(2040, 2048);
    for (int t = first; t <= last; ++t) EXPECT_FLOAT_EQ(engine->getParameter(t), 0.01f * t);

    // Swapping two runs is a plain write: the host hears nothing; "Dummy" stays out.
    recorder().calls.clear();
    engine->setParameter(1020, 0.2f);
    engine->setParameter(1021, 0.3f);
    engine->setParameter(tag::Dummy, 0.9f);
    engine->setParameter(1022, 0.4f);
    engine->swapParameterRange(first, 1020, 3); // 12..14 with 1020..1022
    engine->swapParameterRange(last, tag::Dummy, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(engine->getParameter(first + i), 0.2f + 0.1f * i) << i;
        EXPECT_FLOAT_EQ(engine->getParameter(1020 + i), 0.01f * (first + i)) << i;
    }
    EXPECT_FLOAT_EQ(engine->getParameter(last), 0.15f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Dummy), 0.9f);
    engine->swapParameterRange(first, 1020, 0);
    engine->swapParameterRange(first, 1020, -3);
    EXPECT_FLOAT_EQ(engine->getParameter(first), 0.2f);
    EXPECT_TRUE(recorder().callsOf(audioMasterAutomate).empty());
}
