// The XY pads' replay and sources: the pad update every 16 samples, the global and per-voice
// replay of the 32-point path, the pad sources 68..77 of a voice (audio thread), and the
// position and flag queries of the pad display (user-interface thread).
#include "engine/APlugin.h"

#include "dsp/SameBytes.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoSync.h"

#include <cmath>
#include <cstring>

namespace {
constexpr double kPathEnd = 31.99999; // the replay position runs 0..kPathEnd over 32 points
constexpr int kRecordReplay = 2;
constexpr int kPlayPoly = 0, kPlayFree = 1, kPlayMono = 2;
constexpr int kLoopOff = 0, kLoopOn = 1, kLoopPingPong = 2;

constexpr int kXTags[2] = {tag::Osc1ZekX, tag::Osc2ZekX};
constexpr int kYTags[2] = {tag::Osc1ZekY, tag::Osc2ZekY};
constexpr int kLfoToXTags[2] = {tag::Osc1ZekLfoToX, tag::Osc2ZekLfoToX};
constexpr int kLfoToYTags[2] = {tag::Osc1ZekLfoToY, tag::Osc2ZekLfoToY};
constexpr int kLfoToXDests[2] = {oscDest(0, oscdest::ZekLfoX), oscDest(1, oscdest::ZekLfoX)};
constexpr int kLfoToYDests[2] = {oscDest(0, oscdest::ZekLfoY), oscDest(1, oscdest::ZekLfoY)};
constexpr int kXDests[2] = {oscDest(0, oscdest::ZekX), oscDest(1, oscdest::ZekX)};
constexpr int kYDests[2] = {oscDest(0, oscdest::ZekY), oscDest(1, oscdest::ZekY)};
constexpr int kSpeedDests[2] = {oscDest(0, oscdest::ZekSpeed), oscDest(1, oscdest::ZekSpeed)};
constexpr int kSourceFirst[2] = {src::Osc1ZekX, src::Osc2ZekX};
constexpr int kXUni = 1, kYUni = 3; // within a pad's sources: X, X uni, Y, Y uni, distance

bool validPad(int pad) {
    return pad == 0 || pad == 1;
}

float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

int padTag(int first, int pad) {
    return first + pad * tag::XyPadStride;
}
} // namespace

int APlugin::getXYRecordMode(int pad) const {
    return validPad(pad) ? getSteppedValue(padTag(tag::Xy1RecordMode, pad)) : 0;
}

int APlugin::getXYPlayMode(int pad) const {
    return validPad(pad) ? getSteppedValue(padTag(tag::Xy1PlayMode, pad)) : 0;
}

bool APlugin::isXYVoiceReplay(int pad) const {
    return getXYRecordMode(pad) == kRecordReplay && getXYPlayMode(pad) == kPlayPoly;
}

uint32_t APlugin::getXYVoiceReplayPads() {
    XYReplayPadsMemo& memo = xyReplayPadsMemo;
    const float key[4] = {
        currentValues[padTag(tag::Xy1RecordMode, 0)], currentValues[padTag(tag::Xy1PlayMode, 0)],
        currentValues[padTag(tag::Xy1RecordMode, 1)], currentValues[padTag(tag::Xy1PlayMode, 1)]};
    if (noSkips || !memo.valid || !sameBytes(key, memo.key, sizeof(key))) {
        std::memcpy(memo.key, key, sizeof(key));
        memo.pads =
            static_cast<uint8_t>((isXYVoiceReplay(0) ? 1 : 0) | (isXYVoiceReplay(1) ? 2 : 0));
        memo.valid = 1;
    } else {
        ZEK2_SHORTCUT_TAKEN(XYReplayKept);
    }
    return memo.pads;
}

int APlugin::getXYLoopMode(int pad) const {
    if (!validPad(pad)) return 0;
    const int loop = getSteppedValue(padTag(tag::Xy1LoopMode, pad));
    // A free-running pad always loops.
    return loop == kLoopOff && getXYPlayMode(pad) == kPlayFree ? kLoopOn : loop;
}

bool APlugin::getXYEdit(int pad) const {
    return validPad(pad) && getOnOff(padTag(tag::Xy1EditOn, pad));
}

bool APlugin::getXChanged(int pad) {
    return validPad(pad) && xyXChanged[pad].exchange(false);
}

bool APlugin::getYChanged(int pad) {
    return validPad(pad) && xyYChanged[pad].exchange(false);
}

bool APlugin::getXYMidiChange(int pad) {
    return validPad(pad) && xyMidiChanged[pad].exchange(0) != 0;
}

bool APlugin::getChangedXY(int pad) const {
    return validPad(pad) && xySetByDisplay[pad].load();
}

void APlugin::setChangedXY(int pad, bool changed) {
    if (validPad(pad)) xySetByDisplay[pad] = changed;
}

bool APlugin::getUpdateXY(int pad) const {
    return validPad(pad) && xyUpdateWanted[pad].load();
}

void APlugin::setUpdateXY(int pad, bool update) {
    if (validPad(pad)) xyUpdateWanted[pad] = update;
}

void APlugin::updateMIDIXY(int pad) {
    if (!validPad(pad)) return;
    xyReplay[pad].seenX = currentValues[kXTags[pad]];
    xyReplay[pad].seenY = currentValues[kYTags[pad]];
}

void APlugin::getXYEditor(int pad, float& x, float& y) const {
    x = y = 0.5f;
    if (!validPad(pad)) return;
    x = currentValues[kXTags[pad]];
    y = currentValues[kYTags[pad]];
}

void APlugin::resetXY(int pad) {
    if (!validPad(pad)) return;
    xyReplay[pad] = XYReplayState{};
    xyReplay[pad].seenX = currentValues[kXTags[pad]];
    xyReplay[pad].seenY = currentValues[kYTags[pad]];
    xyReplay[pad].recordMode = getXYRecordMode(pad);
    xyReplay[pad].playMode = getXYPlayMode(pad);
    xyReplay[pad].loopMode = getXYLoopMode(pad);
    xyRecording[pad] = false;
    xyXChanged[pad] = xyYChanged[pad] = false;
    xyMidiChanged[pad] = 0;
    xySetByDisplay[pad] = xyUpdateWanted[pad] = false;
}

void APlugin::startReplay(int pad) {
    if (!validPad(pad)) return;
    xyReplay[pad].position = 0.0;
    xyReplay[pad].direction = 1.0;
}

void APlugin::restartModOnTransport() {
    // A song start restarts the tempo-synced modulators: the global LFOs and the morph LFO
    // at their phase offsets, and the pads' replay from their beginning (a running gesture's
    // clock too).
    for (int n = 0; n < kGlobalLFOs; ++n) resetGlobalLFO(n);
    for (XYReplayState& pad : xyReplay) {
        pad.recordStart = 0;
        pad.recordLength = 0;
        pad.increment = 0.0;
        pad.position = 0.0;
        pad.direction = 1.0;
    }
}

int APlugin::getXYVoice() const {
    for (int v = 0; v < kNumVoices; ++v)
        if (voicePressed[v] || voiceLevel[v] > 1e-5f) return lastVoice & 15;
    return -1;
}

void APlugin::getXYValue(int pad, int voice, float& x, float& y) const {
    x = y = 0.5f;
    if (!validPad(pad)) return;
    if (isXYVoiceReplay(pad)) {
        const int v = voice & 15;
        x = xyReplay[pad].voiceX[v];
        y = xyReplay[pad].voiceY[v];
        return;
    }
    x = currentValues[kXTags[pad]];
    y = currentValues[kYTags[pad]];
}

// Audio thread, at the end of a block: what the pads' displays show of the sounding voice.
void APlugin::publishXYShown() {
    const int v = getXYVoice();
    modShown.xyVoice = v;
    if (v < 0) return;
    for (int pad = 0; pad < 2; ++pad) {
        float x = 0.5f, y = 0.5f;
        getXYValue(pad, v, x, y);
        modShown.xyValue[pad][0] = x;
        modShown.xyValue[pad][1] = y;
        modShown.xyMod[pad][0] = voiceSource[v][kSourceFirst[pad] + kXUni];
        modShown.xyMod[pad][1] = voiceSource[v][kSourceFirst[pad] + kYUni];
    }
}

// User-interface thread: reads only what the audio thread published, never the voices.
void APlugin::getXYValue(int pad, float& x, float& y) const {
    x = y = 0.5f;
    if (!validPad(pad)) return;
    if (isXYVoiceReplay(pad)) {
        if (modShown.xyVoice >= 0) {
            x = modShown.xyValue[pad][0];
            y = modShown.xyValue[pad][1];
        }
        return;
    }
    getXYValue(pad, 0, x, y);
}

bool APlugin::getXYModVal(int pad, float& x, float& y) const {
    getXYValue(pad, x, y);
    if (!validPad(pad) || modShown.xyVoice < 0) return false;
    const float mx = modShown.xyMod[pad][0];
    const float my = modShown.xyMod[pad][1];
    const bool moved = std::fabs(mx - x) >= 0.001f || std::fabs(my - y) >= 0.001f;
    x = mx;
    y = my;
    return moved;
}

void APlugin::updateXYMod(int voice, int pad, float x, float y) {
    if (!validPad(pad) || voice < 0 || voice >= kNumVoices) return;
    const float* row = voiceDest[voice];
    const float lfo = voiceSource[voice][src::MainLfo];
    const float ax = currentValues[kLfoToXTags[pad]] + row[kLfoToXDests[pad]];
    const float ay = currentValues[kLfoToYTags[pad]] + row[kLfoToYDests[pad]];
    const float px = clamp01(lfo * ax + x + row[kXDests[pad]]);
    const float py = clamp01(lfo * ay + y + row[kYDests[pad]]);
    const float bx = 2.0f * px - 1.0f, by = 2.0f * py - 1.0f;
    float* s = &voiceSource[voice][kSourceFirst[pad]];
    s[0] = bx;
    s[1] = px;
    s[2] = by;
    s[3] = py;
    s[4] = std::sqrt(bx * bx + by * by) / 1.4142135f;
}

// Length of the pad's path in seconds (0 when it has none).
static double pathSeconds(const Relaxed<float>* values, int pad) {
    return values[padTag(tag::Xy1LenSec, pad)] * 1000.0 + values[padTag(tag::Xy1LenMs, pad)];
}

bool APlugin::stepXYReplay(int pad, double& position, double direction, float speedMod, float& x,
                           float& y) const {
    const int sync = getSteppedValue(padTag(tag::Xy1Sync, pad));
    const double seconds = pathSeconds(currentValues, pad);
    if (seconds < 0.0001 && sync == 0) {
        x = y = 0.5f; // no path: the pad rests at its centre
        return true;
    }
    double increment;
    if (sync > 0) {
        const double tempoNow = tempoDouble > 0.1 ? tempoDouble : 0.1;
        const double wholeNote = 240.0 * engineRateDouble / tempoNow;
        increment = 16.0 * kPathEnd / (TEMPO_SYNC_TIME[sync % 31] * wholeNote + 1.0);
    } else {
        const double samples = seconds * engineRateDouble;
        if (samples < 1e-6) return false;
        increment = 16.0 * kPathEnd / samples;
    }
    const float speed = currentValues[padTag(tag::Xy1Speed, pad)];
    position += increment * direction * std::exp2(8.0 * speed - 4.0) * std::exp2(2.0 * speedMod);
    if (!(position >= 0.0) || !std::isfinite(position)) position = 0.0;

    const int loop = getXYLoopMode(pad);
    if (loop == kLoopOff) {
        if (position > kPathEnd - 1.0) position = kPathEnd - 1.0; // holds on the last segment
    } else if (loop == kLoopOn) {
        position = std::fmod(position, kPathEnd);
    } else {
        position = std::fmod(position, 2.0 * kPathEnd);
    }

    const int i = static_cast<int>(position);
    int i0, i1;
    if (loop != kLoopPingPong) {
        i0 = i >= 32 ? i - 32 : i;
        i1 = i0 >= 31 ? 0 : i0 + 1;
    } else if (i < 32) {
        i0 = i < 31 ? i : 31;
        i1 = i + 1 < 31 ? i + 1 : 31;
    } else {
        i0 = 63 - i < 0 ? 0 : (63 - i > 31 ? 31 : 63 - i);
        i1 = 62 - i < 0 ? 0 : (62 - i > 31 ? 31 : 62 - i);
    }
    const float f = static_cast<float>(position - std::floor(position));
    const int xs = tag::Xy1PathXFirst + pad * tag::XyPathPadStride;
    const int ys = tag::Xy1PathYFirst + pad * tag::XyPathPadStride;
    x = currentValues[xs + i0] + (currentValues[xs + i1] - currentValues[xs + i0]) * f;
    y = currentValues[ys + i0] + (currentValues[ys + i1] - currentValues[ys + i0]) * f;
    return true;
}

void APlugin::updateXYReplay(int pad) {
    if (!validPad(pad)) return;
    XYReplayState& r = xyReplay[pad];
    if (getXYPlayMode(pad) == kPlayMono) {
        bool noteOn = false;
        for (uint8_t pressed : voicePressed) noteOn = noteOn || pressed;
        if (!noteOn) return;
    }
    float x, y;
    if (!stepXYReplay(pad, r.position, r.direction, globalDest[kSpeedDests[pad]], x, y)) return;
    // Straight into the engine's values: a replay is not an automation the host records.
    currentValues[kXTags[pad]] = x;
    currentValues[kYTags[pad]] = y;
}

void APlugin::updateXYReplay(int pad, int voice) {
    if (!validPad(pad) || voice < 0 || voice >= kNumVoices) return;
    XYReplayState& r = xyReplay[pad];
    float x, y;
    if (!stepXYReplay(pad, r.voicePosition[voice], r.voiceDirection[voice],
                      voiceDest[voice][kSpeedDests[pad]], x, y))
        return;
    r.voiceX[voice] = x;
    r.voiceY[voice] = y;
}

void APlugin::updateXYStuff(int pad) {
    if (!validPad(pad)) return;
    XYReplayState& r = xyReplay[pad];
    r.playMode = getXYPlayMode(pad);
    const int mode = getXYRecordMode(pad);
    if (mode != kRecordReplay) {
        const float x = currentValues[kXTags[pad]], y = currentValues[kYTags[pad]];
        if (std::fabs(x - r.seenX) > 0.0001f) xyXChanged[pad] = true;
        if (std::fabs(y - r.seenY) > 0.0001f) xyYChanged[pad] = true;
        r.seenX = x;
        r.seenY = y;
    }
    const int loop = getXYLoopMode(pad);
    if (loop != r.loopMode) {
        r.loopMode = loop;
        r.position = 0.0;
        r.direction = 1.0;
        for (int v = 0; v < kNumVoices; ++v) {
            r.voicePosition[v] = 0.0;
            r.voiceDirection[v] = 1.0;
        }
    }
    if (mode != r.recordMode) {
        const bool hasPath = pathSeconds(currentValues, pad) >= 0.0001 ||
                             getSteppedValue(padTag(tag::Xy1Sync, pad)) != 0;
        if (r.recordMode == kRecordReplay && hasPath) startReplay(pad);
        r.recordMode = mode;
        // The recording starts from where the pad stands now.
        r.recordX = currentValues[kXTags[pad]];
        r.recordY = currentValues[kYTags[pad]];
    }
    if (mode == kRecordReplay) updateXYReplay(pad);
    if (mode == 1 && xyRecording[pad]) updateXYRecord(pad);
}

void APlugin::updateXYPads() {
    updateXYStuff(0);
    updateXYStuff(1);
}
