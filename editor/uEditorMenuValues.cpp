// Small operations the screens, the idle pass and the menus share: stepped menu values, the
// radio groups' wheel stepping, routing a source into the first free modulation slot, the
// text of a modulation destination, modulation rings and lock-held menu values. Host
// user-interface thread.
#include "editor/ueditor.h"

#include "controls/TBitmapSliders.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>

using namespace VSTGUI;

void uEditor::setMenuValue(int tag, int index) {
    if (APlugin* engine = getEngine()) engine->setSteppedValue(tag, index);
}

void uEditor::resumeMenu(TOptionMenu* m) {
    APlugin* engine = getEngine();
    if (!m || !engine || !isValidTag(m->getTag())) return;
    const float v = static_cast<float>(engine->getSteppedValue(m->getTag()));
    if (m->getValue() == v) return;
    m->setValue(v);
    m->invalid();
}

void uEditor::resumeMenu(TOptionMenu* m, float value, float range, int count,
                         const char* const* titles) {
    if (!m || !titles || count <= 0) return;
    const int i = std::clamp(static_cast<int>(value * range + 0.1f), 0, count - 1);
    m->setString(titles[i]);
}

void uEditor::changeRadioDelta(int group, int delta) {
    auto step = [delta](int old, int n) { return ((old + delta) % n + n) % n; };
    switch (group) {
    case 0:
    case 1:
        oscPage[group] = step(oscPage[group], 3);
        redrawOscMod = true;
        break;
    case 2:
        selectedEQ = step(selectedEQ, 2);
        redrawEQ = true;
        break;
    case 3:
        multiViewPage = step(multiViewPage, skin::kPageCount);
        redrawMultiView = true;
        break;
    case 4:
        setSelectedArp(step(getSelectedArp(), 2));
        redrawMultiView = true;
        break;
    case 5:
        selectedUserWave = step(selectedUserWave, 2);
        if (APlugin* engine = getEngine()) engine->setPreviewUserWave(selectedUserWave);
        redrawMultiView = true;
        break;
    case 6:
        waveDrawMode = step(waveDrawMode, 3);
        redrawMultiView = true;
        break;
    case 7:
        waveEditMode[selectedUserWave] = step(waveEditMode[selectedUserWave], 2);
        redrawMultiView = true;
        break;
    default:
        break; // the XY pads' mode radios carry group -1
    }
}

void uEditor::setNextModSlot(int source, int destination) {
    APlugin* engine = getEngine();
    if (!engine) return;
    for (int slot = 0; slot < tag::ModSlotCount; ++slot) {
        if (engine->getModDestByTag(tag::ModDestFirst + slot) != 0) continue;
        engine->setToDefault(tag::ModLowerFirst + slot);
        engine->setToDefault(tag::ModUpperFirst + slot);
        engine->setToDefault(tag::ModOffsetFirst + slot);
        engine->setParameter(tag::ModAmountFirst + slot, 1.0f);
        engine->setSteppedValue(tag::ModSourceFirst + slot, source);
        engine->setSteppedValue(tag::ModDestFirst + slot, destination);
        engine->setModBypass(slot, false);
        // The caller's refresh shows the matrix page.
        multiViewPage = 2;
        return;
    }
}

std::string uEditor::getDestMenuStr(int dest, bool shortText) {
    if (dest < 0 || dest >= DEST_COUNT) return std::string();
    APlugin* engine = getEngine();
    if (!engine) return DEST_STR[dest];
    std::string text = shortText ? DEST_SHORT_STR[dest] : DEST_STR[dest];
    const auto& vars = shortText ? DISTORT_MODE_VAR_SHORT_STR : DISTORT_MODE_VAR_STR;
    constexpr int kVoiceFirst = 158, kFXFirst = 171, kVars = 8;
    auto rowOf = [](int table, int mode) {
        return REAL_DISTORT_MODES[table][std::clamp(mode, 0, DISTORT_FX_MODE_COUNT - 1)];
    };
    if (dest >= kFXFirst && dest < kFXFirst + kVars) {
        const int row = rowOf(1, engine->getSteppedValue(tag::DistortFxMode));
        text = std::string("Distort FX ") + vars[row][dest - kFXFirst];
    } else if (dest >= kVoiceFirst && dest < kVoiceFirst + kVars) {
        const int row = rowOf(0, engine->getSteppedValue(tag::VoiceDistortionMode));
        text = vars[row][dest - kVoiceFirst];
    }
    return text;
}

void uEditor::setModValue(TKnob* knob) {
    if (APlugin* engine = getEngine(); knob && engine)
        knob->setModValue(engine->getModValue(knob->getTag()));
}

void uEditor::setModValue(TVSlider* slider) {
    if (APlugin* engine = getEngine(); slider && engine)
        slider->setModValue(engine->getModValue(slider->getTag()));
}

void uEditor::setModValue(THSlider* slider) {
    if (APlugin* engine = getEngine(); slider && engine)
        slider->setModValue(engine->getModValue(slider->getTag()));
}

void uEditor::updateLocked(TOptionMenu* m) {
    APlugin* engine = getEngine();
    if (!engine || !m || !isValidTag(m->getTag())) return;
    const float v = static_cast<float>(engine->getLockSteppedValue(m->getTag()));
    if (m->getValue() == v) return;
    m->setValue(v);
    m->setDirty(true);
}
