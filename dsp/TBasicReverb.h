// The reverb unit: four banks of ten damped feedback combs (two banks per side, the second
// pair fed through slowly moving "widen" taps), a band filter per bank and four allpasses per
// bank. All lines are fixed arrays sized for the highest rate the engine accepts, so a rate
// change only re-tunes them. The constructor and setSampleRate run on the host thread; the
// setters, mute() and process() on the audio thread, never allocating.
#pragma once

#include "dsp/Float4.h"

#include <cstdint>

class TBasicReverb {
public:
    static constexpr int kLineSlots = 16384; // every comb and input ring, addressed modulo
    static constexpr int kCombs = 10;        // per bank
    static constexpr int kLines = 4 * kCombs;
    static constexpr int kAllpasses = 4; // per side
    // The longest allpass (579 samples at 44.1 kHz) at 500 kHz is 6,565 samples.
    static constexpr int kAllpassMax = 8192;
    static constexpr float kMaxRate = 500000.0f;

    TBasicReverb();
    TBasicReverb(const TBasicReverb&) = delete;
    TBasicReverb& operator=(const TBasicReverb&) = delete;

    // Rate 44,100, room size 0.5 and damp 0.5, tuned and silent.
    void create();
    // Re-tunes every line for the stored rate and mutes.
    void init();
    // Ignores a rate below 1 Hz (or NaN) or one within 0.0001 of the stored rate.
    void setSampleRate(float rate);
    // Clears every line, filter state and input ring; lengths and settings stay.
    void mute();
    void clear() { mute(); }

    void setWiden(int w1, int w2, int w3, int w4);
    void setRoomSize(float x);
    void setDamp(float x);
    void setFilter(float lowPass, float highPass);
    void setMod(float m1, float m2, float m3, float m4);
    void setSize(float s1, float s2);
    // One frame: out1/out2 the directly fed banks (left, right), out3/out4 the widen-fed ones.
    void process(float inL, float inR, float& out1, float& out2, float& out3, float& out4);

    // Read-outs for tests. Lines are numbered bank x 10 + comb, banks L1, R1, L2, R2.
    float getSampleRate() const { return sampleRate; }
    float getFeedback() const { return feedback; }
    float getDamping() const { return damping; }
    int getCombLength(int line) const;
    int getAllpassLength(int side, int index) const;
    float getLowPassCoef() const { return lowCoef.lane(0); }
    float getHighPassCoef() const { return highCoef.lane(0); }

private:
    struct Allpass {
        int32_t length = 1;
        int32_t index[2] = {};
        float line[2][kAllpassMax] = {};
        float step(int which, float x);
    };

    void refreshVectors();
    void setCombLengths(const int* lengths);

    // Input rings and widen taps.
    int32_t inputIndex = 0;
    uint8_t linesWritten = 0; // set by process, cleared by mute
    uint32_t widenOffsets[4] = {};
    float feedback = 0.9099097f;
    float damping = 0.275f;
    float sampleRate = 44100.0f;
    float inputRing[2][kLineSlots] = {};
    float lengthFactors[2][kCombs] = {};

    // The comb banks: lane b of vector j is comb j of bank b (L1, R1, L2, R2).
    int32_t combIndex = 0;
    int32_t combOffsets[kLines] = {};
    Float4 dampVec, undampVec, feedVec;
    Float4 dampState[kCombs];
    Float4 bandLow1, bandLow2;
    Float4 lowCoef, highCoef, lowRest, highRest;
    alignas(16) float combMemory[kLineSlots][kLines] = {};

    Allpass allpasses[2][kAllpasses];
};
