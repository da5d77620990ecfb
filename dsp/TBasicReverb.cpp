// The reverb unit: tuning, settings and the per-frame comb and allpass network. Construction
// and rate changes on the host thread; settings, mute and processing on the audio thread.
#include "dsp/TBasicReverb.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// Comb and allpass tunings in samples at 44.1 kHz; the right side is 23 samples longer.
constexpr int COMB_TUNING[2][TBasicReverb::kCombs] = {
    {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617, 1680, 1046},
    {1139, 1211, 1300, 1379, 1445, 1514, 1580, 1640, 1703, 1069}};
constexpr int ALLPASS_TUNING[2][TBasicReverb::kAllpasses] = {{556, 441, 341, 225},
                                                             {579, 464, 364, 248}};
// Bank b's lines use the left (0) or right (1) tuning.
constexpr int BANK_SIDE[4] = {0, 1, 0, 1};
constexpr float kOutputGain = 0.025f;

int scaledLength(double samples, int longest) {
    // Every line delays by at least one sample, whatever the rate.
    if (!(samples >= 1.0)) return 1;
    return samples > longest ? longest : static_cast<int>(samples);
}
} // namespace

float TBasicReverb::Allpass::step(int which, float x) {
    int32_t& i = index[which];
    if (++i >= length) i = 0;
    float* buf = line[which];
    const float v = buf[i];
    buf[i] = 0.5f * v + x + 1e-8f;
    return v - x;
}

TBasicReverb::TBasicReverb() {
    create();
}

void TBasicReverb::create() {
    sampleRate = 44100.0f;
    feedback = 0.9099097f;
    damping = 0.275f;
    refreshVectors();
    init();
    inputIndex = 0;
    for (uint32_t& w : widenOffsets) w = 0;
    std::memset(inputRing, 0, sizeof(inputRing));
}

void TBasicReverb::init() {
    const double scale = static_cast<double>(sampleRate) / 44100.0;
    for (auto& set : lengthFactors)
        for (float& f : set) f = 1.0f;
    int lengths[kLines];
    for (int b = 0; b < 4; ++b)
        for (int j = 0; j < kCombs; ++j)
            lengths[b * kCombs + j] = static_cast<int>(COMB_TUNING[BANK_SIDE[b]][j] * scale + 0.5);
    setCombLengths(lengths);
    for (Float4& s : dampState) s = Float4(0.0f);
    bandLow1 = bandLow2 = Float4(0.0f);
    for (int side = 0; side < 2; ++side)
        for (int k = 0; k < kAllpasses; ++k) {
            Allpass& a = allpasses[side][k];
            a.length = scaledLength(ALLPASS_TUNING[side][k] * scale + 0.5, kAllpassMax);
            a.index[0] = a.index[1] = 0;
        }
    mute();
}

void TBasicReverb::setSampleRate(float rate) {
    if (!(rate >= 1.0f) || std::fabs(rate - sampleRate) < 0.0001f) return;
    sampleRate = rate > kMaxRate ? kMaxRate : rate;
    init();
}

void TBasicReverb::mute() {
    // Lines that nothing was written to since the last mute are silent already: a preset
    // change does not wipe megabytes of them on the audio thread.
    if (linesWritten) {
        std::memset(combMemory, 0, sizeof(combMemory));
        for (auto& side : allpasses)
            for (Allpass& a : side) std::memset(a.line, 0, sizeof(a.line));
        std::memset(inputRing, 0, sizeof(inputRing));
        linesWritten = 0;
    }
    for (Float4& s : dampState) s = Float4(0.0f);
    bandLow1 = bandLow2 = Float4(0.0f);
    inputIndex = 0;
}

void TBasicReverb::setCombLengths(const int* lengths) {
    for (int line = 0; line < kLines; ++line) {
        int len = lengths[line];
        if (len < 1) len = 1;
        if (len > kLineSlots - 1) len = kLineSlots - 1;
        // Line l of the memory is lane (l / 10) of vector (l % 10).
        const int bank = line / kCombs, comb = line % kCombs;
        combOffsets[comb * 4 + bank] = kLineSlots - len;
    }
}

int TBasicReverb::getCombLength(int line) const {
    if (line < 0 || line >= kLines) return 0;
    return kLineSlots - combOffsets[(line % kCombs) * 4 + line / kCombs];
}

int TBasicReverb::getAllpassLength(int side, int index) const {
    if (side < 0 || side > 1 || index < 0 || index >= kAllpasses) return 0;
    return allpasses[side][index].length;
}

void TBasicReverb::refreshVectors() {
    dampVec = Float4(damping);
    undampVec = Float4(1.0f - damping);
    feedVec = Float4(feedback);
}

void TBasicReverb::setWiden(int w1, int w2, int w3, int w4) {
    const int w[4] = {w1, w2, w3, w4};
    // A tap further back than the ring (long taps at high rates) is held to the ring's length
    // rather than wrapped round to a short one.
    for (int k = 0; k < 4; ++k) {
        const int tap = w[k] < 0 ? 0 : (w[k] > kLineSlots - 1 ? kLineSlots - 1 : w[k]);
        widenOffsets[k] = static_cast<uint32_t>(kLineSlots - 1 - tap);
    }
}

void TBasicReverb::setRoomSize(float x) {
    feedback = 0.249579f * std::log10(20.0f * x + 1.0f) + 0.65f;
    if (!(feedback == feedback)) feedback = 0.65f;
    refreshVectors();
}

void TBasicReverb::setDamp(float x) {
    damping = 0.55f * x;
    if (!(damping == damping)) damping = 0.0f;
    refreshVectors();
}

void TBasicReverb::setFilter(float lowPass, float highPass) {
    const float lowRatio = 20.0f * std::exp2(10.0f * lowPass) / sampleRate;
    const float highRatio = 20.0f * std::exp2(10.0f * highPass) / sampleRate;
    float a = lowRatio > 0.3f ? 0.6f : 2.0f * lowRatio;
    if (a > 0.59f || !(a == a)) a = 1.0f; // fully open
    float b = highRatio > 0.3f ? 0.6f : 2.0f * highRatio;
    if (b < 0.01f || !(b == b)) b = 0.0f; // no high-pass
    lowCoef = Float4(a);
    lowRest = Float4(1.0f - a);
    highCoef = Float4(b);
    // Without the high-pass its low band must not stand still: it would be subtracted for good
    // as an offset. It fades out over about 10 ms instead, so turning the filter off does not
    // click either.
    highRest = Float4(b > 0.0f ? 1.0f - b : 1.0f - std::min(1.0f, 100.0f / sampleRate));
}

void TBasicReverb::setMod(float m1, float m2, float m3, float m4) {
    for (int j = 0; j < kCombs; ++j) {
        lengthFactors[0][j] = (j & 1) ? m2 : m1;
        lengthFactors[1][j] = (j & 1) ? m4 : m3;
    }
}

void TBasicReverb::setSize(float s1, float s2) {
    const double rateScale = static_cast<double>(sampleRate) / 44100.0;
    const float sizes[2] = {s1, s2};
    int lengths[kLines];
    for (int b = 0; b < 4; ++b) {
        const int set = b / 2; // L1 and R1 take set 1, L2 and R2 set 2
        for (int j = 0; j < kCombs; ++j) {
            const double len =
                sizes[set] * rateScale * COMB_TUNING[BANK_SIDE[b]][j] * lengthFactors[set][j] + 0.5;
            // Held before the conversion, so a huge or NaN size cannot overflow the integer.
            lengths[b * kCombs + j] =
                len >= 1.0 ? (len < kLineSlots ? static_cast<int>(len) : kLineSlots - 1) : 1;
        }
    }
    setCombLengths(lengths);
}

void TBasicReverb::process(float inL, float inR, float& out1, float& out2, float& out3,
                           float& out4) {
    linesWritten = 1;
    inputIndex = (inputIndex + 1) & (kLineSlots - 1);
    inputRing[0][inputIndex] = inL;
    inputRing[1][inputIndex] = inR;
    const auto tap = [this](int side, int k) {
        return inputRing[side]
                        [(static_cast<uint32_t>(inputIndex) + widenOffsets[k]) & (kLineSlots - 1)];
    };
    const float tapL1 = tap(0, 0), tapR1 = tap(1, 1), tapL2 = tap(0, 2), tapR2 = tap(1, 3);
    // Inputs per lane (L1, R1, L2, R2) of the even and odd combs.
    const Float4 evenIn(inL, tapR1, inL, tapR2);
    const Float4 oddIn(tapL1, inR, tapL2, inR);

    if (++combIndex >= kLineSlots) combIndex = 0;
    const int w = combIndex;
    Float4 sum(0.0f);
    for (int j = 0; j < kCombs; ++j) {
        const int32_t* off = combOffsets + 4 * j;
        const Float4 r(combMemory[(off[0] + w) & (kLineSlots - 1)][4 * j],
                       combMemory[(off[1] + w) & (kLineSlots - 1)][4 * j + 1],
                       combMemory[(off[2] + w) & (kLineSlots - 1)][4 * j + 2],
                       combMemory[(off[3] + w) & (kLineSlots - 1)][4 * j + 3]);
        dampState[j] = dampVec * dampState[j] + undampVec * r;
        const Float4 written = feedVec * dampState[j] + ((j & 1) ? oddIn : evenIn);
        written.store(&combMemory[w][4 * j]);
        sum += r;
    }
    bandLow1 = lowRest * bandLow1 + lowCoef * sum;
    bandLow2 = highRest * bandLow2 + highCoef * bandLow1;
    alignas(16) float bank[4];
    (bandLow1 - bandLow2).store(bank);

    float chain[4];
    for (int b = 0; b < 4; ++b) {
        const int side = BANK_SIDE[b];
        const int which = b / 2; // L1 and R1 use line 1 of their allpasses, L2 and R2 line 2
        float x = bank[b];
        for (Allpass& a : allpasses[side]) x = a.step(which, x);
        chain[b] = x;
    }
    out1 = kOutputGain * chain[0];
    out2 = kOutputGain * chain[1];
    out3 = kOutputGain * chain[2];
    out4 = kOutputGain * chain[3];
}
