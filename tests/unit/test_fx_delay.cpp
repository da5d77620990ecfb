// The tape-style delay unit: exact delay, the feedback laws, the feedback filter, the write
// clamp, tempo-synchronised lengths, and its fixed queues.
#include "dsp/TDelay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

TEST(FxDelay, DelaysByTheLengthAfterSilenceOfOneLength) {
    auto d = std::make_unique<TDelay>();
    d->init(44100.0f);
    const int L = 100;
    d->setDelayLenDirect({float(L), float(L)});
    std::vector<float> in(600), out(600);
    for (size_t i = 0; i < in.size(); ++i) in[i] = std::sin(0.05f * float(i)) + 0.25f;
    for (size_t i = 0; i < in.size(); ++i) {
        stereoStruct o;
        d->process({in[i], -in[i]}, o);
        out[i] = o.left;
        EXPECT_EQ(o.left, -o.right) << i;
    }
    for (int i = 0; i < L; ++i) EXPECT_EQ(out[size_t(i)], 0.0f) << i;
    for (size_t i = L; i < out.size(); ++i) EXPECT_NEAR(out[i], in[i - L], 1e-5f) << i;

    // Tape behaviour: the queue holds about one length of entries, and a reset empties it.
    EXPECT_LE(d->getQueueSize(0), L + TDelay::kResetEntries + 2);
    d->init(44100.0f); // a request, carried out by the next audio call
    stereoStruct o;
    d->process({1.0f, 1.0f}, o);
    EXPECT_EQ(o.left, 0.0f);
    EXPECT_EQ(d->getQueueSize(0), TDelay::kResetEntries + 1);
}

TEST(FxDelay, LengthsFeedbackLawsFilterAndClamp) {
    auto d = std::make_unique<TDelay>();
    d->init(44100.0f);
    // Time 1.0 without sync: 4,096 ms + 1 sample. With sync at 120 bpm, index 14 (3/4 note).
    d->setDelayLen({1.0f, 1.0f}, {0.0f, 0.0f}, 1.0f);
    EXPECT_NEAR(d->getLength(0), 4096.0f * 44.1f + 1.0f, 0.05f);
    EXPECT_TRUE(d->setTimeSync(1.0f));
    EXPECT_FALSE(d->setTimeSync(0.9f));
    d->setTempo(120.0f);
    d->setDelayLen({1.0f, 0.0f}, {0.0f, 0.0f}, 1.0f);
    EXPECT_FLOAT_EQ(d->getLength(0), 66151.0f);
    EXPECT_FLOAT_EQ(d->getLength(1), 88200.0f / 48.0f + 1.0f);
    // Lengths are held to 5 .. 262,143 samples, NaN included.
    d->setDelayLenDirect({1.0f, 1e9f});
    EXPECT_EQ(d->getLength(0), 5.0f);
    EXPECT_EQ(d->getLength(1), 262143.0f);
    d->setDelayLenDirect({NAN, -4.0f});
    EXPECT_EQ(d->getLength(0), 5.0f);
    EXPECT_EQ(d->getLength(1), 5.0f);

    // The write signal is held to +-100, and a NaN is written as 100.
    auto c = std::make_unique<TDelay>();
    c->init(48000.0f);
    c->setDelayLenDirect({10.0f, 10.0f});
    stereoStruct o;
    c->process({1e6f, NAN}, o);
    for (int i = 0; i < 9; ++i) c->process({0.0f, 0.0f}, o);
    c->process({0.0f, 0.0f}, o);
    EXPECT_FLOAT_EQ(o.left, 100.0f);
    EXPECT_FLOAT_EQ(o.right, 100.0f);
}

TEST(FxDelay, FeedbackRepeatsAndQueuesStayWithinTheirRoom) {
    auto d = std::make_unique<TDelay>();
    d->init(48000.0f);
    d->setDelayLenDirect({200.0f, 200.0f});
    d->setFeed(0.5f);
    stereoStruct o;
    std::vector<float> out;
    for (int i = 0; i < 1000; ++i) {
        d->process({i == 0 ? 1.0f : 0.0f, 0.0f}, o);
        out.push_back(o.left);
    }
    EXPECT_NEAR(out[200], 1.0f, 1e-5f);
    EXPECT_NEAR(out[400], 0.5f, 1e-5f);
    EXPECT_NEAR(out[600], 0.25f, 1e-5f);
    EXPECT_NEAR(out[300], 0.0f, 1e-5f);

    // Without any length the write position stands still; the queues keep their fixed room.
    auto s = std::make_unique<TDelay>();
    s->init(48000.0f);
    for (int i = 0; i < TDelay::kQueueCapacity + 1000; ++i) s->process({0.5f, 0.5f}, o);
    EXPECT_EQ(s->getQueueSize(0), TDelay::kQueueCapacity);
    EXPECT_EQ(o.left, 0.0f);
    // The longest length stays inside the room too.
    auto l = std::make_unique<TDelay>();
    l->init(192000.0f);
    l->setDelayLenDirect({262143.0f, 5.0f});
    for (int i = 0; i < 2 * 262143 + 10; ++i) l->process({0.1f, 0.1f}, o);
    EXPECT_LT(l->getQueueSize(0), TDelay::kQueueCapacity);
    EXPECT_NEAR(o.left, 0.1f, 1e-5f);
}
