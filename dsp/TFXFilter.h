// The small state-variable filter of the effects. init() on the host thread, reset() and
// processing on the audio thread; plain state only.
#pragma once

class TFXFilter {
public:
    void init(float rate) {
        sampleRate = rate > 0.0f ? rate : 44100.0f;
        reset();
    }
    void reset() { low[0] = low[1] = band[0] = band[1] = 0.0f; }
    float getSampleRate() const { return sampleRate; }

private:
    float sampleRate = 44100.0f;
    float low[2] = {};
    float band[2] = {};
};
