// The stereo delay line used by the delay effect and by the modulation effect. init() runs on
// the host thread (rate changes); the audio thread only reads and writes the lines.
#pragma once

class TDelay {
public:
    static constexpr double kDefaultTempo = 120.0;

    // Sets the rate, the tempo to 120 beats per minute and clears the lines.
    void init(float rate);
    void clear();

    float getSampleRate() const { return sampleRate; }
    double getTempo() const { return tempo; }
    double getSamplesPerWholeNote() const { return samplesPerWholeNote; }

private:
    float sampleRate = 44100.0f;
    double tempo = kDefaultTempo;
    double samplesPerWholeNote = 44100.0 * 240.0 / kDefaultTempo;
    float feedbackState[2] = {};
};
