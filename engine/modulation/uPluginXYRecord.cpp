// XY gesture recording: the pad display starts, feeds and ends a gesture on the user-interface
// thread; the audio thread writes the current position into the gesture buffer every 16
// samples; the end resamples the gesture into the pad's 32-point path. Also the display's
// direct position and path edits.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

#include <cmath>

namespace {
constexpr int kXTags[2] = {tag::Osc1ZekX, tag::Osc2ZekX};
constexpr int kYTags[2] = {tag::Osc1ZekY, tag::Osc2ZekY};

bool validPad(int pad) {
    return pad == 0 || pad == 1;
}

int padTag(int first, int pad) {
    return first + pad * tag::XyPadStride;
}

int pathXTag(int pad, int point) {
    return tag::Xy1PathXFirst + pad * tag::XyPathPadStride + point;
}

int pathYTag(int pad, int point) {
    return tag::Xy1PathYFirst + pad * tag::XyPathPadStride + point;
}

// A path point from -1..1 to 0..1; below -1 (and NaN) reads as 0.
float pathValue(float v) {
    if (!(v >= -1.0f)) return 0.0f;
    const float u = (v + 1.0f) * 0.5f;
    return u < 1.0f ? u : 1.0f;
}
} // namespace

void APlugin::startXYRecord(int pad) {
    if (validPad(pad)) xyRecording[pad] = false;
}

void APlugin::setXYRecord(int pad, float x, float y) {
    if (!validPad(pad)) return;
    XYReplayState& r = xyReplay[pad];
    r.recordX = x;
    r.recordY = y;
    if (!xyRecording[pad]) {
        r.recordStart = sampleCounter;
        r.recordLength = 0;
        xyRecording[pad] = true;
    }
    setParameter(kXTags[pad], x);
    setParameter(kYTags[pad], y);
}

void APlugin::updateXYRecord(int pad) {
    if (!validPad(pad) || !xyRecording[pad] || !(engineRateDouble > 0.0)) return;
    XYReplayState& r = xyReplay[pad];
    const uint64_t elapsed = sampleCounter - r.recordStart;
    const double ms = static_cast<double>(elapsed) * 1000.0 / engineRateDouble;
    // A gesture longer than the buffer keeps writing its last entry.
    const int t = ms >= kXYRecordSize - 1 ? kXYRecordSize - 1 : static_cast<int>(ms);
    r.recordLength = t;
    xyRecordX[t] = r.recordX;
    xyRecordY[t] = r.recordY;
}

void APlugin::endXYRecord(int pad) {
    if (!validPad(pad)) return;
    XYReplayState& r = xyReplay[pad];
    const uint64_t elapsed = sampleCounter - r.recordStart;
    const double msDouble =
        engineRateDouble > 0.0 ? static_cast<double>(elapsed) / engineRateDouble * 1000.0 : 0.0;
    const int ms = msDouble < 1.0e9 ? static_cast<int>(msDouble) : 1000000000;
    setParameter(padTag(tag::Xy1LenSec, pad), static_cast<float>(ms / 1000) / 1000.0f);
    setParameter(padTag(tag::Xy1LenMs, pad), static_cast<float>(ms % 1000) / 1000.0f);

    xyRecording[pad] = false;
    r.seenX = currentValues[kXTags[pad]];
    r.seenY = currentValues[kYTags[pad]];

    int length = r.recordLength;
    if (length < 0) length = 0;
    if (length > kXYRecordSize - 1) length = kXYRecordSize - 1;
    for (int k = 0; k < tag::XyPathPointCount; ++k) {
        float x = 0.5f, y = 0.5f; // a gesture without length rests at the centre
        if (length > 0) {
            const double p = k * (length / 31.9999);
            const int i0 = static_cast<int>(p);
            const int i1 = length <= i0 + 1 ? length - 1 : i0 + 1;
            const float f = static_cast<float>(p - i0);
            x = xyRecordX[i0] + (xyRecordX[i1] - xyRecordX[i0]) * f;
            y = xyRecordY[i0] + (xyRecordY[i1] - xyRecordY[i0]) * f;
        }
        setParameter(pathXTag(pad, k), x);
        setParameter(pathYTag(pad, k), y);
    }
}

void APlugin::setXY(int pad, float x, float y) {
    if (!validPad(pad)) return;
    setParameter(kXTags[pad], x);
    setParameter(kYTags[pad], y);
    xySetByDisplay[pad] = true;
}

void APlugin::setXYPath(int pad, int point, float x, float y) {
    if (!validPad(pad) || point < 0 || point >= tag::XyPathPointCount) return;
    setParameter(pathXTag(pad, point), pathValue(x));
    setParameter(pathYTag(pad, point), pathValue(y));
}

void APlugin::setZeroTime(int pad) {
    if (!validPad(pad)) return;
    const float seconds = currentValues[padTag(tag::Xy1LenSec, pad)] * 1000.0f +
                          currentValues[padTag(tag::Xy1LenMs, pad)];
    if (seconds < 0.002f) {
        setParameter(padTag(tag::Xy1LenSec, pad), 0.004f); // four seconds
        setParameter(padTag(tag::Xy1LenMs, pad), 0.0f);
    }
}
