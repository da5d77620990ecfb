// The parameter write and read roads. setParameter runs on the host's threads, the editor's
// thread and the audio thread; it does a fixed amount of work and never allocates.
#include "engine/APlugin.h"

#include "editor/ueditor.h"

#include <cmath>

void APlugin::setParameter(VstInt32 index, float value) {
    if (!isValidTag(index)) return;
    float v = std::isnan(value) ? 0.0f : value;
    v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    if (paramIsOnOff[index]) v = v < 0.5f ? 0.0f : 1.0f;
    currentValues[index] = v;
    programValues.values[index] = v;
    editValues[index] = v;
}

float APlugin::getParameter(VstInt32 index) {
    if (!isValidTag(index)) return 0.0f;
    const float v = programValues.values[index];
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

void APlugin::setProgram(VstInt32 program) {
    if (program != 0 || editorOpening) return;
    curProgram = 0;
}
