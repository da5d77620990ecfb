// The small stereo state-variable filter of the effect chain: a Chamberlin two-pole with a soft
// clip in its loop, run at twice the sample rate over two output frames (four sub-frames) per
// call. init() runs on the host thread (construction, rate change); reset() and the process
// forms run on the audio thread and never allocate.
#pragma once

#include "dsp/StereoTypes.h"

class TFXFilter {
public:
    // Prepares the filter for the rate (a rate below 1,000 Hz counts as 44,100) and clears its
    // settings, coefficient cache and history.
    void init(float rate);
    // Clears the signal history only; settings and the coefficient cache stay.
    void reset();

    // Single-cutoff forms: cutoff 0..1 (20 Hz .. 20,480 Hz), resonance 0..1, smoothed by one
    // one-pole step per call unless `immediate`. Outputs may alias the inputs.
    void processLP(float cutoff, float resonance, bool immediate, stereoOverStruct in1,
                   stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2);
    void processHP(float cutoff, float resonance, bool immediate, stereoOverStruct in1,
                   stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2);
    void processBP(float cutoff, float resonance, bool immediate, stereoOverStruct in1,
                   stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2);
    // Low-pass with its own cutoff per channel (left in .left, right in .right), no smoothing
    // and no cache; the resonance is the complement of the damping, used as given (0..1).
    void processLPStereo(stereoStruct cutoffs, float resonance, stereoOverStruct in1,
                         stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2);

    // Read-outs for tests and displays.
    float getRate() const { return rate; }
    float getMaxCutoff() const { return maxCutoff; }
    float getCutoffSmooth() const { return cutoffSmooth; }
    float getCutoffHz() const { return cutoffHz; }
    float getCoefF(int channel) const { return coefF[channel & 1]; }
    float getDamping(int channel) const { return damping[channel & 1]; }
    float getLow(int channel) const { return low[channel & 1]; }
    float getBand(int channel) const { return band[channel & 1]; }

private:
    enum Output { kLow, kHigh, kBand, kStereoLow };
    void setCoefficients(float cutoff, float resonanceArg, bool immediate);
    void run(Output kind, stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
             stereoOverStruct& out2);
    float step(int channel, float x, Output kind);

    float cutoffIn = 0.0f;
    float cutoffSmooth = 0.0f;
    float cutoffHz = 0.0f;
    float lastCutoffHz = 0.0f;
    float rate = 44100.0f;
    float halfInvRate = 1.0f / 88200.0f;
    float maxCutoff = 17640.0f;
    float resonance = 0.0f;
    float lastResonance = 0.0f;
    float clipAmount[2] = {0.001f, 0.001f};
    float stereoGain[2] = {1.4142135f, 1.4142135f};
    float bandGain[2] = {2.0f, 2.0f};
    float coefF[2] = {};
    float damping[2] = {};
    float lastHigh[2] = {};
    float low[2] = {};
    float band[2] = {};
    // The shared coefficient table 2 sin(pi i / 262144); taken at init, read on the audio thread.
    const float* filterSine = nullptr;
};
