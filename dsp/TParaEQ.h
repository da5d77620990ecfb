// Parametric EQs: the multi-unit EQ used for the voices' Pre-EQ and Post-EQ and the distortion
// effect, and the per-voice unison form. init() runs on the host thread, processing on the
// audio thread; plain state only.
#pragma once

class TParaEQ {
public:
    static constexpr int kBands = 3;

    void init(float rate) {
        sampleRate = rate > 0.0f ? rate : 44100.0f;
        reset();
    }
    void reset() {
        for (auto& band : state)
            for (float& s : band) s = 0.0f;
    }
    float getSampleRate() const { return sampleRate; }

private:
    float sampleRate = 44100.0f;
    float state[kBands][4] = {};
};

// One voice's EQ when unison is on: the same bands, kept per voice.
class TUniParaEQ : public TParaEQ {};
