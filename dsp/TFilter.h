// One voice's multimode filter: 43 types behind a pre-drive, a smoothed cutoff pipeline and an
// optional extra high-pass stage, in a per-pass form (one stereo voice) and a block form (up to
// six unison sub-voices). init() runs when the engine is built or the rate or unison mode
// changes; every other call comes from the audio thread. Nothing here allocates.
#pragma once

#include "dsp/Float4.h"
#include "dsp/StereoTypes.h"

#include <cstddef>
#include <cstdint>

struct FilterTables;

class TFilter {
public:
    static constexpr int kTypeCount = 43;
    static constexpr int kMaxSubVoices = 6;
    static constexpr int kRingFrames = 8192;
    // Rings 0 and 1 serve the per-pass comb; the block form's sub-voices keep theirs side by
    // side in subRings.
    static constexpr int kRings = 2;
    // The combs' recurrence is held to +-kCombLimit at the working level of the per-pass form
    // (a tenth of the signal), so +-100 at full scale; the block form, which runs its combs at
    // full scale, holds them to the same +-100, so that unison does not make a comb clip sooner.
    static constexpr float kCombLimit = 10.0f;

    // Prepares the filter for the host rate (the filter runs at twice it) and clears it. A rate
    // that is not finite or lies outside 5 .. 500,000 Hz, which the engine refuses too, is
    // replaced by 44,100.
    void init(float rate);
    // Clears every state and ring and forces a coefficient recomputation on the next call;
    // rate, type, modulation terms, cutoffs and the high-pass stage settings stay.
    void reset();
    // Stores the type (0..42); with clearOnChange a different type first does what reset does.
    void setType(int newType, bool clearOnChange);
    // Key tracking: factor 2^((2 amount - 1) pitch), pitch in octaves.
    void setTrack(float amount, float pitch);
    void setVel(float amount, float velocity);
    void setMod(float amount, float wheel);
    void setEnv(float value);
    void setLFO(float depth, float value);
    // Pre-drive 2^(6 x) - 1 for x in 0..1. Called every pass; the knob mostly stands still,
    // so the comparison is inline and only a new value pays for the power.
    void setDistort(float x) {
        if (x != lastDistortIn) setDriveFrom(x);
    }
    // The extra high-pass stage; the three switches count as on above 0.5.
    void setHP(float on, float trackOn, float resonanceOn, float frequency, float resonanceValue,
               float keyOctaves);
    // What setHP does with the switch off (the other inputs are not read).
    void setHPOff() { hpOn = 0; }
    // The next call takes the cutoff control without smoothing.
    void setDirect() {
        directFlag = 1;
        controlsSettled = 0;
    }
    // With `on`, every call does every step in full (see fullWork).
    void setFullWork(bool on) { fullWork = on; }

    // One pass of one voice: frames A and B, four stereo sub-frames at twice the rate.
    void process(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue, float vowel,
                 stereoOverStruct inA, stereoOverStruct inB, stereoOverStruct& outA,
                 stereoOverStruct& outB);
    // One pass of n sub-voices (1..6) sharing the controls. outA[j], outB[j] (j < n) receive
    // the results; for odd n they need room for n + 1 entries, as entry n may be written too.
    void process(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue, float vowel,
                 int n, const stereoOverStruct* inA, const stereoOverStruct* inB,
                 stereoOverStruct* outA, stereoOverStruct* outB);

    // The per-pass form for two voices' filters in one vector, each on its own controls, state
    // and coefficients; the results are those of two process() calls. False, with nothing
    // done, when their types or high-pass settings cannot share a vector: the caller then runs
    // each on its own.
    struct PassInput {
        stereoStruct cutoff, cutoffMod;
        float resonance, vowel;
        stereoOverStruct inA, inB;
    };
    static bool processPair(TFilter& a, TFilter& b, const PassInput& inputA,
                            const PassInput& inputB, stereoOverStruct (&outA)[2],
                            stereoOverStruct (&outB)[2]);
    // Four voices' filters as the pairs (f[0], f[1]) and (f[2], f[3]) side by side in eight
    // lanes where the processor has AVX2: the results of the two processPair calls. False, with
    // nothing done, when the four cannot share one vector (or AVX2 is off): the caller then
    // runs the pairs.
    static bool processQuad(TFilter* const (&f)[4], const PassInput* const (&in)[4],
                            stereoOverStruct (&out)[4][2]);

    // Read-only views for the voice stages and the tests.
    int getType() const { return type; }
    float getSampleRate() const { return rate; }
    float getCutoffHz(int channel) const { return cutoffHz[channel & 1]; }
    float getResonance() const { return resonance; }
    float getDrive() const { return drive; }
    // The last setDistort input and whether the high-pass stage is on.
    float getDistortIn() const { return lastDistortIn; }
    bool getHPOn() const { return hpOn != 0; }
    // The smoothed mod-wheel value of the last setMod call.
    float getModWheel() const { return modWheel; }

private:
    void setDriveFrom(float x);

    // Coefficients, each as {R, L, R, L} so that both forms read the same vectors.
    struct Coefs {
        Float4 opA, opB;               // one-pole a and 1 - a
        Float4 svfF, svfD;             // clipped state-variable filter
        Float4 b0, b1, b2, a1, a2;     // biquad
        Float4 ladP, ladF, ladK;       // resonant ladder
        Float4 zG, zC1, zH1, zC2, zH2; // zero-delay SVF: 2R + g and 1 / (g^2 + 2Rg + 1)
        Float4 wLP, wBP, wHP;          // multi-mode weights
        Float4 fB0[4], fA1[4], fA2[4]; // formant band sections
        Float4 ringInc, ringDepth;     // unused lanes mirror the pair
        Float4 hpF, hpD;               // the extra high-pass stage
    };
    // The running state of one lane group (two stereo sub-voices) or of the per-pass pair.
    // Every member is a Float4, so a group can be checked and cleared as one array.
    struct Lanes {
        Float4 onePole;
        Float4 svfLow, svfBand;
        Float4 bqX[3], bqY[3];
        Float4 lad[5];
        Float4 z1s1, z1s2, z2s1, z2s2;
        Float4 fX[3], fY[4][3];
        Float4 hpLow, hpBand;
    };

    // The high-pass stage's members, as indexes into Coefs and Lanes.
    static constexpr int kHpCoefs[2] = {static_cast<int>(offsetof(Coefs, hpF) / sizeof(Float4)),
                                        static_cast<int>(offsetof(Coefs, hpD) / sizeof(Float4))};
    static constexpr int kHpLanes[2] = {static_cast<int>(offsetof(Lanes, hpLow) / sizeof(Float4)),
                                        static_cast<int>(offsetof(Lanes, hpBand) / sizeof(Float4))};

    // Steps shared by both forms.
    void preDrive(float* x, int count) const;
    // preDrive's step on four values, d = drive and gain = 1 + drive.
    static Float4 drivePass(Float4 x, Float4 d, Float4 gain) {
        const Float4 one(1.0f);
        const Float4 y = gain * x / (one + abs(d * x));
        // Inside the limits the result takes the denormal guard; at them it is held.
        const __m128 inside =
            _mm_and_ps(_mm_cmplt_ps(y.v, one.v), _mm_cmpgt_ps(y.v, _mm_set1_ps(-1.0f)));
        const Float4 held = clamp(y, Float4(-1.0f), one);
        const Float4 guarded = y + Float4(1e-15f);
        return Float4(_mm_or_ps(_mm_and_ps(inside, guarded.v), _mm_andnot_ps(inside, held.v)));
    }
    // The per-pass forms' frames {L0, R0, L1, R1} after the pre-drive, in registers.
    void drivePassFrames(Float4& a, Float4& b) const {
        if (!(drive > 0.0001f)) return;
        const Float4 d(drive), gain(1.0f + drive);
        a = drivePass(a, d, gain);
        b = drivePass(b, d, gain);
    }
    bool updateControls(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue,
                        float vowel);
    void computeCoefficients(float vowelArgument);
    void computeBiquad();
    void computeSpecialCoefficients();
    void historySlots(int (&slots)[4][3]);
    bool usesHistory() const;
    void ringModulators(Float4 (&m)[4]);
    // Runs the selected type over four sub-frames of one lane group, in place, at 0.1 level.
    void runGroup(const Coefs& cf, Lanes& s, Float4 (&v)[4], const int (&slots)[4][3],
                  const Float4 (&ring)[4]);
    static void runHP(const Coefs& cf, Lanes& s, Float4 (&v)[4]);
    // The comb types over one stereo signal at the rings given, at the per-pass form's level.
    void runComb(int inRing, int outRing, float (&left)[4], float (&right)[4], int fill);
    // The block form's combs: the n sub-voices of frames a and b across lanes, in place.
    void runCombBlock(Float4 (&a)[kMaxSubVoices + 1], Float4 (&b)[kMaxSubVoices + 1], int n);
    void advanceComb() {
        combPos[0] = (combPos[0] + 1024u) & 2097151u;
        combPos[1] = (combPos[1] + 1024u) & 2097151u;
    }
    static void sanitize(Lanes& s, const Float4 (&out)[4]);
    // processPair's steps: the pass's inputs as lane vectors after the controls, and the type
    // families' coefficients and states as indexes into Coefs and Lanes.
    void preparePass(const PassInput& in, Float4 (&v)[4]);
    struct Members {
        const int* coefs;
        int coefCount;
        const int* lanes;
        int laneCount;
    };
    // The members a type's recurrence reads, for the types processPair runs (false for others).
    static bool pairMembers(int type, Members& m);
    // processPair's steps before the recurrence (false, with nothing done, for filters that
    // cannot pair; else the joined lanes in v) and after it (v into the outputs).
    static bool beginPair(TFilter& a, TFilter& b, const PassInput& inputA, const PassInput& inputB,
                          Float4 (&v)[4]);
    static void endPair(TFilter& a, TFilter& b, const Float4 (&v)[4], stereoOverStruct (&outA)[2],
                        stereoOverStruct (&outB)[2]);
    void clearStates();
    // Clears the per-pass form's state (a joined copy held by a pair is then reloaded).
    void clearPass();
    // Hands this filter's joined state, and its partner's, back to their own `pass` states.
    void splitPair();

    const FilterTables* tables = nullptr;

    // Controls and the cutoff pipeline, per channel (0 left, 1 right).
    float cutoffIn[2] = {};
    float cutoffSmooth[2] = {};
    float cutoffModIn[2] = {};
    float cutoffHz[2] = {};
    float lastExponent[2] = {-1.0f, -1.0f}; // the cutoff's last exponent, key track and power
    float lastKeyTrack[2] = {};
    float lastPower[2] = {};
    float lastCutoffHz[2] = {};
    float tableW[2] = {}; // normalised cutoff of the last call, at twice the rate
    int32_t tableIndex[2] = {};
    uint8_t directFlag = 0;
    // The inputs of the last updateControls call (cutoffs, mods, resonance, vowel, the four
    // modulation terms, key track and type, as bits), whether all but the first four are
    // stored, and whether its smoothing had settled.
    alignas(16) float controlInputs[12] = {};
    uint8_t restInputsValid = 0;
    uint8_t controlsSettled = 0;
    uint8_t hpOn = 0;
    int32_t type = 0;
    int32_t lastType = -1;
    float rate = 44100.0f;
    float invRate = 1.0f / 44100.0f;
    float invDoubleRate = 0.5f / 44100.0f;
    float ceiling = 0.4f * 44100.0f;
    float resonance = 0.0f;
    float vowelPos = 0.0f;
    float lastVowel = 0.0f;
    float lastResonance = 0.0f;
    float zdfResonance = -1.0f; // the resonance behind zdfDamping (none yet)
    float zdfDamping = 0.0f;    // the two-stage zero-delay types' second damping
    float keyTrack = 1.0f;
    float velTerm = 0.0f;
    float wheelTerm = 0.0f;
    float modWheel = 0.0f;
    float envTerm = 0.0f;
    float lfoTerm = 0.0f;
    float drive = 0.0f;
    float lastDistortIn = 0.0f; // the setDistort input behind drive (0 gives drive 0)
    float hpResonance = 0.0f;
    float hpCutoff = 0.0f;
    float hpInputs[4] = {-1.0f, -1.0f, -1.0f, -1.0f}; // the last setHP inputs behind hpCutoff
    int32_t history = 0;

    // Ring and amplitude modulation, per channel.
    float ringIncrement[2] = {1.0f, 1.0f};
    float ringPhase[2] = {};
    float ringDepth = 1.0f;

    // Combs: delay in 1/256 samples, write position with 8 fractional bits, feedback.
    int32_t combDelay[2] = {1, 1};
    uint32_t combPos[2] = {};
    float combGain = 0.0f;
    // Sub-frames written to the per-pass and block rings since they were last cleared (at most
    // one ring length). A slot older than that reads as zero, so clearing a ring costs nothing:
    // a note start does not wipe 0.9 MB of rings it may never read.
    int32_t passRingFill = 0;
    int32_t blockRingFill = 0;

    Coefs c;
    Lanes pass;
    // processPair's joined pair, held by its first filter (a) between passes: the joined
    // coefficients and states of the type's members (and the high-pass stage's). While held,
    // the two filters' own `pass` members for them are stale; splitPair hands them back. The
    // serials count changes of each filter's coefficients and clears of its state, so a held
    // pair joins again only what moved.
    Coefs pairCoefs;
    Lanes pairLanes;
    TFilter* pairHolder = nullptr; // a, in both filters of a held pair
    TFilter* pairOther = nullptr;  // b, in a
    int32_t pairType = -1;
    uint8_t pairHp = 0;
    uint32_t coefSerial = 0, stateSerial = 0;
    uint32_t pairCoefSerial[2] = {}, pairStateSerial[2] = {};
    Lanes block[3];
    float rings[kRings][kRingFrames][2] = {};
    // The block form's input and output rings, one per pair of sub-voices: per frame and
    // channel, the pair side by side. The sub-voices share the positions, so a pair in both
    // channels makes one vector, and a pair's frames stay as dense as one sub-voice's did.
    float subRings[2][kMaxSubVoices / 2][kRingFrames][2][2] = {};
    bool wide = false; // the eight-lane steps (AVX2), decided by init()
    // Every step done in full: no settled-controls shortcut, no pair held between passes
    // (setFullWork, for the tests that hold the render against itself).
    bool fullWork = false;
    // The block form's states wait to be cleared until the block form runs: a note start
    // without unison would otherwise write 1.5 KB per voice that nothing reads.
    bool blockStale = false;
};
