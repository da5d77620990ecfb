// The state chunk and the host queries as recognised and unrecognised hosts see them: who is
// offered which chunk, exact round trips, refusal of bad chunks, names, pins and capabilities.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace testhost;

namespace {

constexpr VstInt32 kChunkBytes = 8224;

class HostChunk : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }
};

void useHost(const char* product, const char* vendor) {
    resetHost();
    host().product = product;
    host().vendor = vendor;
}

void settle(Plugin& plugin) {
    std::vector<float> left, right;
    plugin.process(4096 + 64, left, right);
    plugin.process(4096, left, right);
}

std::vector<float> allParameters(Plugin& plugin) {
    std::vector<float> values(2048);
    for (VstInt32 t = 0; t < 2048; ++t) values[size_t(t)] = plugin.getParameter(t);
    return values;
}

// An edited sound: continuous, stepped, switch and user-wave values away from the preset's.
void edit(Plugin& plugin) {
    plugin.setParameter(1, 0.3125f);
    plugin.setParameter(9, 0.123f);
    plugin.setParameter(250, (7 + 0.1f) / 29.99f);
    plugin.setParameter(256, 0.0f);
    plugin.setParameter(1024, 0.777f);
    plugin.setParameter(2047, 0.111f);
}

} // namespace

TEST_F(HostChunk, WhichHostIsOfferedWhichChunk) {
    struct Case {
        const char* product;
        const char* vendor;
        bool bank;
        bool program;
    };
    const Case cases[] = {{"REAPER", "Cockos", true, false},
                          {"KOMPLETE Kontrol", "Native Instruments", true, false},
                          {"Reason", "Propellerhead Software", true, true},
                          {"Ardour", "Ardour Community", false, false}};
    for (const Case& c : cases) {
        useHost(c.product, c.vendor);
        Plugin plugin;
        void* data = nullptr;
        EXPECT_EQ(plugin.dispatch(effGetChunk, 0, 0, &data), c.bank ? kChunkBytes : 0) << c.product;
        EXPECT_EQ(data != nullptr, c.bank) << c.product;
        data = nullptr;
        EXPECT_EQ(plugin.dispatch(effGetChunk, 1, 0, &data), c.program ? kChunkBytes : 0)
            << c.product;
        // A host that is offered no chunk restores nothing.
        std::vector<char> chunk(kChunkBytes, 0);
        if (!c.bank) {
            EXPECT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes, chunk.data()), 0);
        }
        if (!c.program) {
            EXPECT_EQ(plugin.dispatch(effSetChunk, 1, kChunkBytes, chunk.data()), 0);
        }
    }
}

TEST_F(HostChunk, RoundTripGivesEveryParameterBackExactly) {
    useHost("REAPER", "Cockos");
    std::vector<char> saved;
    std::vector<float> expected;
    {
        Plugin original;
        settle(original);
        edit(original);
        expected = allParameters(original);
        void* data = nullptr;
        ASSERT_EQ(original.dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
        saved.assign(static_cast<char*>(data), static_cast<char*>(data) + kChunkBytes);
        // The name field is empty until a chunk was restored.
        EXPECT_EQ(saved[8192], 0);
    }
    Plugin restored;
    settle(restored);
    ASSERT_EQ(restored.dispatch(effSetChunk, 0, kChunkBytes, saved.data()), 1);
    settle(restored);
    const std::vector<float> got = allParameters(restored);
    for (size_t t = 0; t < got.size(); ++t) ASSERT_EQ(got[t], expected[t]) << "tag " << t;

    // The chunk taken again is the same bytes.
    void* again = nullptr;
    ASSERT_EQ(restored.dispatch(effGetChunk, 0, 0, &again), kChunkBytes);
    EXPECT_EQ(std::memcmp(again, saved.data(), 8192), 0);
}

// A host writes out the block effGetChunk gave it after the call returns: loads in either form
// leave both forms' blocks as they were until the next get, and the block itself may come back
// as the chunk to load.
TEST_F(HostChunk, TheBlockAHostWasGivenStaysUntilItsNextGet) {
    useHost("Reason", "Propellerhead Software");
    Plugin plugin;
    settle(plugin);
    const std::vector<float> before = allParameters(plugin);
    void* held[2] = {};
    std::vector<char> copies[2];
    for (VstInt32 form : {0, 1}) {
        ASSERT_EQ(plugin.dispatch(effGetChunk, form, 0, &held[form]), kChunkBytes);
        copies[form].assign(static_cast<char*>(held[form]),
                            static_cast<char*>(held[form]) + kChunkBytes);
    }
    std::vector<char> other = copies[0];
    const float volume = 0.3125f;
    std::memcpy(other.data() + 4, &volume, sizeof(volume)); // tag 1, the Main Volume
    std::strcpy(other.data() + 8192, "Loaded");
    for (VstInt32 form : {0, 1}) {
        ASSERT_EQ(plugin.dispatch(effSetChunk, form, kChunkBytes, other.data()), 1);
        settle(plugin);
        EXPECT_EQ(plugin.getParameter(1), volume);
        for (int f : {0, 1}) EXPECT_EQ(std::memcmp(held[f], copies[f].data(), kChunkBytes), 0);
    }
    void* again = nullptr;
    ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &again), kChunkBytes);
    EXPECT_EQ(std::memcmp(again, other.data(), kChunkBytes), 0) << "the next get shows the load";
    ASSERT_EQ(plugin.dispatch(effSetChunk, 1, kChunkBytes, held[1]), 1);
    settle(plugin);
    EXPECT_EQ(allParameters(plugin), before);
}

TEST_F(HostChunk, ShortNullOrGarbageChunksLeaveTheSoundAsItWas) {
    useHost("REAPER", "Cockos");
    Plugin plugin;
    settle(plugin);
    edit(plugin);
    const std::vector<float> before = allParameters(plugin);

    std::vector<char> shortChunk(kChunkBytes - 1, 0x7F);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes - 1, shortChunk.data()), 0);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes, nullptr), 0);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, -5, shortChunk.data()), 0);
    settle(plugin);
    EXPECT_EQ(allParameters(plugin), before);

    // Garbage of the right size is read as values, each kept inside 0..1 and never NaN.
    std::vector<float> garbage(kChunkBytes / 4);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = (i % 3 == 0) ? NAN : (i % 3 == 1 ? 1e30f : -7.0f);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes, garbage.data()), 1);
    settle(plugin);
    for (VstInt32 t = 0; t < 2048; ++t) {
        const float v = plugin.getParameter(t);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "tag " << t << " = " << v;
    }
    std::vector<float> left, right;
    plugin.process(512, left, right);
    for (VstInt32 i = 0; i < 512; ++i) ASSERT_TRUE(std::isfinite(left[size_t(i)]));
}

TEST_F(HostChunk, NamesPinsAndCapabilities) {
    for (const char* product : {"REAPER", "KOMPLETE Kontrol", "Ardour"}) {
        useHost(product, "");
        Plugin plugin;
        EXPECT_EQ(plugin.text(effGetEffectName), "ZEK2");
        EXPECT_EQ(plugin.text(effGetProductString), "ZEK2");
        EXPECT_EQ(plugin.text(effGetVendorString), "Velmora");
        EXPECT_EQ(plugin.dispatch(effGetVendorVersion), 65536);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("NKSCallbacks")), 1);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
        // The arpeggiator's notes go out: a host routes them only when these answer 1.
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstEvents")), 1);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstMidiEvent")), 1);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo")), 0);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstEvent")), 0);
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, nullptr), 0);

        VstPinProperties pin{};
        EXPECT_EQ(plugin.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
        EXPECT_STREQ(pin.label, "ZEK2 2");
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(plugin.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
        EXPECT_EQ(plugin.dispatch(effGetOutputProperties, -1, 0, &pin), 0);
    }
}

TEST_F(HostChunk, VendorSpecificQueries) {
    useHost("MASCHINE 2", "");
    Plugin nks;
    int32_t value = -1;
    EXPECT_EQ(nks.dispatch(effVendorSpecific, 0x4E49000C, 0, &value), 1);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(nks.dispatch(effVendorSpecific, 0x4E49000C, 0, nullptr), 0);
    EXPECT_EQ(nks.dispatch(effVendorSpecific, 0x4E49000E, 0, &value), 0);
    unsigned char info[9] = {};
    EXPECT_EQ(nks.dispatch(effVendorSpecific, 0x4E690020, 0, info), 1);
    uint64_t size = 0;
    std::memcpy(&size, info, 8);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(info[8], 1);
    // The wheel message is not for NKS hosts.
    EXPECT_EQ(nks.dispatch(effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f), 0);

    useHost("Ardour", "");
    Plugin other;
    EXPECT_EQ(other.dispatch(effVendorSpecific, 0x4E49000C, 0, &value), 0);
    EXPECT_EQ(other.dispatch(effVendorSpecific, 0x73744341, 0x1234, nullptr, 1.0f), 0);
}
