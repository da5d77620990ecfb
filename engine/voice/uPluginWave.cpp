// The user waves seen from the editor: built-in shape selection, the shaper preview and its
// write-back, and the reads of table 0 for the wave display and audition. Called on the
// user-interface thread; the preview also from the slow control-rate update.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/UserWaveShapes.h"

#include <cmath>

namespace {
constexpr int kLastWavePreset = USER_WAVE_PRESET_COUNT - 1;
constexpr float kWavePresetRange = 511.99f;
constexpr int kSize = 4096;
constexpr int PRESET_TAGS[2] = {tag::UserWave1Preset, tag::UserWave2Preset};

int firstTag(int n) {
    return n == 0 ? tag::UserWave1First : tag::UserWave2First;
}

float clampUnit(float x, float lo, float hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}
} // namespace

void APlugin::changeUserWaveDelta(int wave, int delta) {
    if (wave < 0 || wave > 1) return;
    if (EditorLink* open = getOpenEditor()) open->addWaveUndo();
    const int presetTag = PRESET_TAGS[wave];
    const int old = static_cast<int>(currentValues[presetTag] * kWavePresetRange + 0.1f);
    long long number = static_cast<long long>(old) + delta;
    if (number < 0) number = 0;
    if (number > kLastWavePreset) number = kLastWavePreset;
    setParameter(presetTag, (static_cast<float>(number) + 0.1f) / kWavePresetRange);
    setUserWave(wave);
}

void APlugin::setCurUserWave(int n, int preset) {
    if (isValidWave(n)) userWavePresetNumbers[n] = preset;
}

// A built-in shape into the wave's 512 points (four points per shape point, linearly between
// them), then the whole table chain. "None" and numbers past the list copy nothing.
void APlugin::setUserWave(int n) {
    if (!isValidWave(n)) return;
    const int p = static_cast<int>(currentValues[PRESET_TAGS[n]] * kWavePresetRange + 0.1f);
    if (p < 0 || p > kLastWavePreset || p == userWavePresetNumbers[n]) return;
    userWavePresetNumbers[n] = p;
    if (p == 0) return;
    const float* b = BUILT_IN_ADD_WAVE[p];
    const int first = firstTag(n);
    {
        // In one turn: a save, or a load the render is applying, sees the whole wave or none.
        ProgramTurn turn(*this);
        for (int j = 0; j < USER_WAVE_SHAPE_POINTS; ++j) {
            const float b0 = b[j], b1 = b[(j + 1) % USER_WAVE_SHAPE_POINTS];
            for (int m = 0; m < 4; ++m)
                storeParameter(first + 4 * j + m, b0 + (b1 - b0) * static_cast<float>(m) * 0.25f);
        }
    }
    // Outside the turn, as every call that may reach the editor.
    for (int t = first; t < first + tag::UserWavePointCount; ++t)
        if (paramNotifiesEditor[t]) pushToEditor(t, currentValues[t]);
    createUserWaveTable(n);
}

float APlugin::getUserWaveTableValue(int n, float phase) const {
    if (!isValidWave(n)) return 0.0f;
    const int i = clampTableIndex(phase * 4095.99f, kSize);
    if (currentValues[tag::UserWaveShaperMode] != 0.0f && getSteppedValue(tag::UserWaveShaperMode))
        return userWaveTables[OSC_PREVIEW_TABLE - OSC_BUILTIN_TABLES][i];
    return userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES][i];
}

void APlugin::setUserPreview(int n, bool on) {
    if (!isValidWave(n)) return;
    userPreviewOn = on ? static_cast<uint8_t>(n + 1) : 0;
    waveAuditionWave = n;
    waveAuditionPosition = 0;
    waveAudition = on;
    if (!on) reset();
}

// The selected wave reshaped by the shaper mode into the preview table.
void APlugin::updatePreviewWaveTable() {
    const int mode = getSteppedValue(tag::UserWaveShaperMode);
    const int wave = getPreviewUserWave();
    if (mode <= 0 || !isValidWave(wave)) return;
    const float* w = userWaveTables[OSC_USER_TABLE_START[wave] - OSC_BUILTIN_TABLES];
    float* out = userWaveTables[OSC_PREVIEW_TABLE - OSC_BUILTIN_TABLES];
    const float s1 = currentValues[tag::UserWaveShaper1];
    const float s2 = currentValues[tag::UserWaveShaper2];
    switch (mode) {
    case 1: {
        const float g = (2.0f * s1 - 1.0f) * std::exp2(4.0f * s2);
        for (int i = 0; i < kSize; ++i) out[i] = w[i] * g;
        break;
    }
    case 2:
        for (int i = 0; i < kSize; ++i)
            out[i] = w[i] * (2.0f * s1 + (2.0f * s2 - 2.0f * s1) * static_cast<float>(i) / 4096.0f);
        break;
    case 3: {
        const int shift = static_cast<int>(4096.0f - 4096.0f * s1);
        for (int i = 0; i < kSize; ++i) out[i] = w[((shift + i) % 4095 + 4095) % 4095];
        break;
    }
    case 4:
        for (int i = 0; i < kSize; ++i) out[i] = clampUnit(w[i] + 2.0f * s1 - 1.0f, -1.0f, 1.0f);
        break;
    case 5: {
        const float c = 0.998f * s1 + 0.001f;
        for (int i = 0; i < kSize; ++i) {
            const float x = static_cast<float>(i) / 4096.0f;
            const float u = x < c ? 0.5f * x / c : 0.5f + 0.5f * (x - c) / (1.0f - c);
            out[i] = w[static_cast<int>(4095.99f * u) & 4095];
        }
        break;
    }
    case 6: {
        const float r = std::exp2(6.0f * s1 - 3.0f);
        const int off = static_cast<int>(4096.0f * s2);
        for (int i = 0; i < kSize; ++i)
            out[i] = w[((static_cast<int>(static_cast<float>(i) * r) - off + 4096) % 4095 + 4095) %
                       4095];
        break;
    }
    case 7: {
        const float r = std::exp2(6.0f * s1 - 3.0f);
        const int off = static_cast<int>(4096.0f * (1.0f - s2));
        for (int i = 0; i < kSize; ++i) {
            const int j = (static_cast<int>(static_cast<float>(i) * r) + off) % 8191;
            int idx = j < 4096 ? j : 8192 - j;
            out[i] = w[idx > 4095 ? 4095 : (idx < 0 ? 0 : idx)];
        }
        break;
    }
    case 8: {
        const float e = 4096.0f * s2;
        float st = clampUnit(4096.0f * s1, 0.0f, e - 1.0f);
        st = st < 0.0f ? 0.0f : st;
        for (int i = 0; i < kSize; ++i) {
            int idx = static_cast<int>(st + static_cast<float>(i) * (e - st) / 4096.0f);
            idx = idx < 1 ? 0 : (idx > 4095 ? 4095 : idx);
            out[i] = w[idx];
        }
        break;
    }
    case 9: {
        const float k = 1.0f - std::exp2(-10.0f * s1);
        float y = w[0];
        for (int pass = 0; pass < 2; ++pass)
            for (int i = 0; i < kSize; ++i) {
                y = k * y + (1.0f - k) * w[i] + 1e-15f;
                if (pass == 1) out[i] = y;
            }
        break;
    }
    case 10: {
        const float f = std::exp2(5.0f * s1) / 4096.0f;
        for (int i = 0; i < kSize; ++i)
            out[i] = w[i] * (1.0f - s2) +
                     std::sin(2.0f * 3.14159f * f * static_cast<float>(i)) * w[i] * s2;
        break;
    }
    case 11: {
        const float g = std::exp2(3.0f * s1) - 1.0f;
        for (int i = 0; i < kSize; ++i) {
            const float t = g * w[i] + 1e-15f;
            const float y = clampUnit((w[i] + t) / (std::fabs(t) + 1.0f) + 1e-15f, -1.0f, 1.0f);
            out[i] = y < 0.0f ? y * (1.0f - 2.0f * s2) : y;
        }
        break;
    }
    default: {
        const float levels = std::exp2(16.0f * s2);
        const float step = std::exp2(-10.0f * s1);
        float phase = 0.0f, held = w[0];
        for (int i = 0; i < kSize; ++i) {
            phase += step;
            if (phase > 1.0f) {
                phase -= std::floor(phase);
                held = w[i];
            }
            out[i] = std::trunc(held * levels) / levels;
        }
        break;
    }
    }
    waveLookStamp.fetch_add(1, std::memory_order_release);
}

void APlugin::setTempPreviewWave(int n) {
    if (!isValidWave(n)) return;
    const float* p = userWaveTables[OSC_PREVIEW_TABLE - OSC_BUILTIN_TABLES];
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        setParameter(firstTag(n) + i, clampUnit(p[8 * i] * 0.5f + 0.5f, 0.0f, 1.0f));
}
