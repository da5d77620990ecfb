// The user waves: their preset numbers and the built-in waves copied into them. Called on the
// user-interface thread.
#include "engine/APlugin.h"

#include "editor/ueditor.h"
#include "engine/params/ParamTags.h"

namespace {
constexpr int kLastWavePreset = 236;
constexpr float kWavePresetRange = 511.99f;
} // namespace

void APlugin::changeUserWaveDelta(int wave, int delta) {
    if (wave < 0 || wave > 1) return;
    if (isEditorOpen()) static_cast<uEditor*>(editor)->addWaveUndo();
    const int presetTag = wave == 0 ? tag::UserWave1Preset : tag::UserWave2Preset;
    const int old = static_cast<int>(currentValues[presetTag] * kWavePresetRange + 0.1f);
    long long number = static_cast<long long>(old) + delta;
    if (number < 0) number = 0;
    if (number > kLastWavePreset) number = kLastWavePreset;
    setParameter(presetTag, (static_cast<float>(number) + 0.1f) / kWavePresetRange);
    // Copying the built-in wave into the user wave arrives with the user-wave tables.
}

// Least form until the preview table is built: silence.
float APlugin::getUserWaveTableValue(int, float) const {
    return 0.0f;
}
