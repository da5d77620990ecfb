// The tape-style stereo delay: every sample records a time stamp and a value per channel, and
// the output is read by linear interpolation a fixed distance (100 stamp units) behind the
// write position, so a length change glides the read point as a tape does. Used by the delay
// effect and by the modulation effect's tape modes. The queues are sized once by the
// constructor (host thread); the audio thread never allocates. init() from another thread is
// a request that the audio thread carries out at its next process or setter call.
#pragma once

#include "dsp/StereoTypes.h"

#include <atomic>
#include <memory>

class TDelay {
public:
    static constexpr float kMinLength = 5.0f;
    static constexpr float kMaxLength = 262143.0f;
    // One delay length of entries at the longest length, the 51 entries a reset leaves and a
    // margin for the read point's lag of one entry.
    static constexpr int kQueueCapacity = 262143 + 51 + 64;
    static constexpr int kResetEntries = 51;

    TDelay();
    TDelay(const TDelay&) = delete;
    TDelay& operator=(const TDelay&) = delete;

    // Sets the rate (a rate that is not positive counts as 44,100), 120 beats per minute, clears
    // flags, lengths, feedback and filter, and empties the queues. Safe from any thread: on a
    // thread other than the audio thread's the clearing is done by the next audio call.
    void init(float rate);
    // The same resets without a new rate.
    void clear() { init(sampleRate); }
    // Empties both channels to 51 entries of stamp 0 and value 0, and stops the write position.
    void zero();

    void setTempo(float bpm);
    bool setTimeSync(float value);
    bool setEqual(float value);
    // time: 0..1 per channel; offset in samples; scale multiplies offset + base length.
    void setDelayLen(stereoStruct time, stereoStruct offset, float scale);
    // Lengths in samples, held to 5..262,143.
    void setDelayLenDirect(stereoStruct lengths);
    void setFeed(float feed, float cross);
    void setFeed(float feed);
    // Returns false (and switches the filter off) for a fully open filter.
    bool setFeedFilter(float lowPass, float highPass);
    float doFeedFilter(int channel, float x);
    // One frame; out is the delayed signal only.
    void process(stereoStruct in, stereoStruct& out);

    // Read-outs for tests.
    float getRate() const { return sampleRate; }
    float getLength(int channel) const { return lengths[channel & 1]; }
    float getBaseLength(int channel) const { return baseLengths[channel & 1]; }
    float getFeedback(int channel) const { return feedback[channel & 1]; }
    float getCross(int channel) const { return cross[channel & 1]; }
    bool getFilterOn() const { return filterOn; }
    float getLowPassCoef() const { return lowPassCoef; }
    float getHighPassCoef() const { return highPassCoef; }
    float getSamplesPerWholeNote() const { return samplesPerWholeNote; }
    int getQueueSize(int channel) const { return queues[channel & 1].size; }

private:
    // A first-in first-out ring of (time stamp, value) pairs with room fixed at construction.
    struct Queue {
        std::unique_ptr<double[]> times;
        std::unique_ptr<float[]> values;
        int front = 0;
        int size = 0;
        void reset();
        void push(double time, float value);
        void popFront();
        double time(int i) const;
        float value(int i) const;
    };

    void applyPendingInit();
    float readChannel(int channel);
    static float limitLength(float samples);

    bool equalFeed = false;
    bool timeSync = false;
    bool filterOn = false;
    float sampleRate = 44100.0f;
    float samplesPerMs = 44.1f;
    float invRate = 1.0f / 44100.0f;
    float baseLengths[2] = {100.0f, 100.0f};
    float lengths[2] = {1.0f, 1.0f};
    float samplesPerWholeNote = 88200.0f;
    float feedback[2] = {};
    float cross[2] = {};
    double steps[2] = {};
    Queue queues[2];
    double positions[2] = {};
    // init() only leaves a request; the next audio-thread call carries it out, so a reset from
    // the user-interface thread never clears the queues under a running process().
    std::atomic<bool> initPending{false};
    std::atomic<float> requestedRate{44100.0f};
    float lowPassCoef = 0.0f;
    float highPassCoef = 0.0f;
    float lowPassRest = 1.0f;
    float highPassRest = 1.0f;
    float lowState[2] = {};
    float highState[2] = {};
};
