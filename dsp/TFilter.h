// One voice's multimode filter. Prepared for the rate by init() on the host thread, run by the
// render loop on the audio thread; holds only plain state, allocates nothing.
#pragma once

class TFilter {
public:
    // Prepares the filter for the rate and clears its state.
    void init(float rate) {
        sampleRate = rate > 0.0f ? rate : 44100.0f;
        reset();
    }
    void reset() {
        for (float& s : state) s = 0.0f;
    }
    float getSampleRate() const { return sampleRate; }

private:
    float sampleRate = 44100.0f;
    float state[8] = {};
};
