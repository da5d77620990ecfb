// The tape-style delay's settings, queues and per-frame processing. The constructor (host
// thread) sizes the queues for the longest length; everything else runs on the audio thread,
// except init(), which only leaves a request for it.
#include "dsp/TDelay.h"

#include <cmath>

namespace {
// Note values of the synchronised lengths in whole notes: triplet, straight and dotted of
// 1/32, 1/16, 1/8, 1/4 and 1/2.
constexpr float DELAY_LEN_ARRAY[15] = {1.0f / 48.0f, 1.0f / 32.0f, 3.0f / 64.0f, 1.0f / 24.0f,
                                       1.0f / 16.0f, 3.0f / 32.0f, 1.0f / 12.0f, 1.0f / 8.0f,
                                       3.0f / 16.0f, 1.0f / 6.0f,  1.0f / 4.0f,  3.0f / 8.0f,
                                       1.0f / 3.0f,  1.0f / 2.0f,  3.0f / 4.0f};

float clampFeed(float x) {
    if (!(x >= -0.999f)) return x != x ? 0.0f : -0.999f;
    return x > 0.999f ? 0.999f : x;
}

float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Queue

void TDelay::Queue::reset() {
    front = 0;
    size = 0;
    for (int i = 0; i < kResetEntries; ++i) push(0.0, 0.0f);
}

void TDelay::Queue::push(double t, float v) {
    // Full only while no length was ever set (the write position then stands still): the
    // oldest entry makes room, so the queue keeps the newest audio and never grows.
    if (size == kQueueCapacity) popFront();
    int back = front + size;
    if (back >= kQueueCapacity) back -= kQueueCapacity;
    times[back] = t;
    values[back] = v;
    ++size;
}

void TDelay::Queue::popFront() {
    if (size == 0) return;
    if (++front == kQueueCapacity) front = 0;
    --size;
}

double TDelay::Queue::time(int i) const {
    int k = front + i;
    if (k >= kQueueCapacity) k -= kQueueCapacity;
    return times[k];
}

float TDelay::Queue::value(int i) const {
    int k = front + i;
    if (k >= kQueueCapacity) k -= kQueueCapacity;
    return values[k];
}

// ---------------------------------------------------------------------------------------------
// Set-up

TDelay::TDelay() {
    for (Queue& q : queues) {
        q.times.reset(new double[kQueueCapacity]());
        q.values.reset(new float[kQueueCapacity]());
    }
    init(44100.0f);
    applyPendingInit();
}

void TDelay::init(float rate) {
    requestedRate.store(rate > 0.0f ? rate : 44100.0f, std::memory_order_relaxed);
    initPending.store(true, std::memory_order_release);
}

void TDelay::applyPendingInit() {
    if (!initPending.load(std::memory_order_acquire)) return;
    initPending.store(false, std::memory_order_relaxed);
    const float rate = requestedRate.load(std::memory_order_relaxed);
    equalFeed = timeSync = filterOn = false;
    sampleRate = rate;
    samplesPerMs = rate / 1000.0f;
    invRate = 1.0f / rate;
    zero();
    baseLengths[0] = baseLengths[1] = 100.0f;
    lengths[0] = lengths[1] = 1.0f;
    feedback[0] = feedback[1] = cross[0] = cross[1] = 0.0f;
    lowState[0] = lowState[1] = highState[0] = highState[1] = 0.0f;
    samplesPerWholeNote = rate * 240.0f / 120.0f;
    lowPassCoef = highPassCoef = 0.0f;
    lowPassRest = highPassRest = 1.0f;
}

void TDelay::zero() {
    steps[0] = steps[1] = 0.0;
    positions[0] = positions[1] = 0.0;
    queues[0].reset();
    queues[1].reset();
}

float TDelay::limitLength(float samples) {
    if (!(samples >= kMinLength)) return kMinLength; // also a NaN length
    return samples > kMaxLength ? kMaxLength : samples;
}

void TDelay::setTempo(float bpm) {
    applyPendingInit();
    // A tempo of 0 or less would give an infinite length; it keeps the last note length.
    if (bpm > 0.0f) samplesPerWholeNote = sampleRate * 240.0f / bpm;
}

bool TDelay::setTimeSync(float value) {
    applyPendingInit();
    const bool on = value > 0.5f;
    const bool changed = on != timeSync;
    timeSync = on;
    return changed;
}

bool TDelay::setEqual(float value) {
    applyPendingInit();
    const bool on = value > 0.5f;
    const bool changed = on != equalFeed;
    equalFeed = on;
    return changed;
}

void TDelay::setDelayLen(stereoStruct time, stereoStruct offset, float scale) {
    applyPendingInit();
    const float t[2] = {clamp01(time.left), clamp01(time.right)};
    const float o[2] = {offset.left, offset.right};
    for (int c = 0; c < 2; ++c) {
        float base;
        if (timeSync)
            base = DELAY_LEN_ARRAY[static_cast<int>(t[c] * 14.99f)] * samplesPerWholeNote;
        else
            base = std::exp2(12.0f * t[c]) * samplesPerMs;
        baseLengths[c] = limitLength(base + 1.0f);
        lengths[c] = limitLength(scale * (o[c] + baseLengths[c]));
        steps[c] = 100.0 / static_cast<double>(lengths[c]);
    }
}

void TDelay::setDelayLenDirect(stereoStruct l) {
    applyPendingInit();
    const float in[2] = {l.left, l.right};
    for (int c = 0; c < 2; ++c) {
        baseLengths[c] = lengths[c] = limitLength(in[c]);
        steps[c] = 100.0 / static_cast<double>(lengths[c]);
    }
}

void TDelay::setFeed(float feed, float crossFeed) {
    applyPendingInit();
    const float f = clampFeed(feed);
    feedback[0] = feedback[1] = f;
    if (!equalFeed) {
        const float c = clampFeed(crossFeed);
        float d = std::fabs(f) + std::fabs(c) + 0.0001f;
        if (d < 1.0f) d = 1.0f;
        feedback[0] = feedback[1] = f / d + 1e-15f;
        cross[0] = cross[1] = c / d + 1e-15f;
        return;
    }
    cross[0] = cross[1] = 0.0f;
    // The shorter side repeats more often; it loses less per echo so that both sides fade at
    // the same rate per second.
    const int shortSide = baseLengths[1] < baseLengths[0] ? 1 : 0;
    const float shortLen = baseLengths[shortSide];
    const float longLen = baseLengths[1 - shortSide];
    const float sign = f > 1e-15f ? 1.0f : (f < 0.0f ? -1.0f : 0.0f);
    feedback[shortSide] =
        sign * std::exp(shortLen / (longLen + 1.0f) * std::log(std::fabs(f) + 0.0001f));
}

void TDelay::setFeed(float feed) {
    applyPendingInit();
    feedback[0] = feedback[1] = clampFeed(feed);
    cross[0] = cross[1] = 0.0f;
}

bool TDelay::setFeedFilter(float lowPass, float highPass) {
    applyPendingInit();
    if (lowPass > 0.999f && highPass < 0.0001f) {
        filterOn = false;
        return false;
    }
    const float minK = 20.0f * invRate;
    auto coefficient = [minK, this](float value) {
        const float hz = 20.0f * std::exp2(10.0f * clamp01(value));
        float k = hz * invRate;
        if (!(k >= minK)) k = minK;
        if (k > 0.2f) k = 0.2f;
        return 2.0f * k;
    };
    lowPassCoef = coefficient(lowPass);
    highPassCoef = coefficient(highPass);
    lowPassRest = 1.0f - lowPassCoef;
    highPassRest = 1.0f - highPassCoef;
    filterOn = true;
    return true;
}

float TDelay::doFeedFilter(int channel, float x) {
    if (!filterOn) return x;
    const int c = channel & 1;
    const float y1 = lowPassCoef * x + lowPassRest * lowState[c] + 1e-15f;
    lowState[c] = y1;
    const float y2 = highPassCoef * y1 + highPassRest * highState[c] + 1e-15f;
    highState[c] = y2;
    return y1 - y2;
}

// ---------------------------------------------------------------------------------------------
// Processing

float TDelay::readChannel(int c) {
    Queue& q = queues[c];
    const double t = positions[c] - 100.0;
    while (q.size >= 3) {
        const double t1 = q.time(1);
        if (t < t1) {
            const double t0 = q.time(0);
            const double v0 = q.value(0);
            const double v1 = q.value(1);
            return static_cast<float>(v0 + (t - t0) * (v1 - v0) / (t1 - t0));
        }
        q.popFront();
    }
    return 0.0f;
}

void TDelay::process(stereoStruct in, stereoStruct& out) {
    applyPendingInit();
    out = stereoStruct{};
    if (queues[0].size == 0 || queues[1].size == 0) return;
    positions[0] += steps[0];
    positions[1] += steps[1];
    float o[2] = {0.0f, 0.0f};
    const float x[2] = {in.left, in.right};
    for (int c = 0; c < 2; ++c) {
        if (positions[c] >= 100.0) {
            o[c] = readChannel(c);
        } else {
            // The first delay length after a reset: the feedback filter also steps on the bare
            // input here. Its entry would carry the same stamp and nearly the same value as
            // the written signal below (no echo is fed back yet), so only the filter step is
            // kept and the queue holds one entry per sample, at most one delay length.
            doFeedFilter(c, x[c]);
        }
    }
    float w[2] = {in.left + feedback[0] * o[0] + cross[0] * o[1] + 1e-15f,
                  in.right + feedback[1] * o[1] + cross[1] * o[0]};
    for (float& v : w) {
        if (!(v <= 100.0f)) v = 100.0f; // above the bound, and NaN
        if (v < -100.0f) v = -100.0f;
    }
    for (int c = 0; c < 2; ++c) {
        if (filterOn) w[c] = doFeedFilter(c, w[c]);
        queues[c].push(positions[c], w[c]);
    }
    out.left = o[0];
    out.right = o[1];
}
