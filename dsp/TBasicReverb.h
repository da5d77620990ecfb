// The reverb's comb and allpass network. Lines are sized when the rate is set (host thread);
// the audio thread never allocates.
#pragma once

#include <vector>

class TBasicReverb {
public:
    TBasicReverb();

    // Ignores a rate below 1 Hz or one within 0.0001 of the current one; otherwise
    // re-initialises the lines for the new rate.
    void setSampleRate(float rate);
    void clear();
    float getSampleRate() const { return sampleRate; }

private:
    void buildLines();

    float sampleRate = 44100.0f;
    std::vector<float> combLines;
    std::vector<float> allpassLines;
};
