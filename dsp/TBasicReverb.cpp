// Construction and rate changes of the reverb (host thread).
#include "dsp/TBasicReverb.h"

#include <algorithm>
#include <cmath>

TBasicReverb::TBasicReverb() {
    buildLines();
}

void TBasicReverb::setSampleRate(float rate) {
    // A rate below 1 Hz would size the lines to nothing; the same rate needs no rebuild.
    if (!(rate >= 1.0f) || std::fabs(rate - sampleRate) < 0.0001f) return;
    sampleRate = rate;
    buildLines();
}

void TBasicReverb::buildLines() {
    // Room for about 100 ms of comb and 25 ms of allpass delay at the current rate.
    combLines.assign(static_cast<size_t>(sampleRate * 0.1f) + 1, 0.0f);
    allpassLines.assign(static_cast<size_t>(sampleRate * 0.025f) + 1, 0.0f);
}

void TBasicReverb::clear() {
    std::fill(combLines.begin(), combLines.end(), 0.0f);
    std::fill(allpassLines.begin(), allpassLines.end(), 0.0f);
}
