// Engine to editor: what a pushed tag does to the screens when the idle pass serves its mark
// (menus, titles, redraw requests, every control of the tag), the per-mode memories of the
// two distortions and the modulation effect, the arpeggiator's step controls, the wave-shaper
// mode, and a knob dragged onto the modulation matrix. Host user-interface thread; the
// engine's pushes from the audio thread only set marks (uEditorRefresh.cpp).
#include "editor/EditorModeTables.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TWaveDisplay.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>

using namespace VSTGUI;
using namespace edtables;

namespace {
constexpr int kRing3 = 10033, kRing4 = 10034; // second pictures of knob styles 3 and 4

bool inRange(int t, int first, int last) {
    return t >= first && t <= last;
}

// Tags whose pushes re-read their option menus (step values, not the registry's value road).
constexpr int MENU_PUSH_TAGS[] = {tag::PlayMode,
                                  tag::PortamentoMode,
                                  tag::PitchBendDown,
                                  tag::PitchBendUp,
                                  tag::UnisonMode,
                                  tag::Osc1Type,
                                  tag::Osc1Octave,
                                  tag::Osc2Type,
                                  tag::Osc2Octave,
                                  tag::Osc2ModMode,
                                  tag::ModFxMode,
                                  tag::GaterSpeed,
                                  tag::GaterMode,
                                  tag::MainLfoWave,
                                  tag::MainLfoPlayMode,
                                  tag::MainLfoPhase,
                                  tag::FreeLfo1Wave,
                                  tag::FreeLfo1PlayMode,
                                  tag::FreeLfo2Wave,
                                  tag::FreeLfo2PlayMode,
                                  tag::FreeLfo12Mode,
                                  tag::RibbonSpringTime,
                                  tag::RibbonQuantization,
                                  tag::SeqLoopStartA,
                                  tag::SeqStepsA,
                                  tag::SeqSpeedA,
                                  tag::SeqLoopStartA + tag::SeqStride,
                                  tag::SeqStepsA + tag::SeqStride,
                                  tag::SeqSpeedA + tag::SeqStride,
                                  tag::Xy1Sync,
                                  tag::Xy2Sync};

bool isMenuTag(int t) {
    return inRange(t, tag::ArpPlayMode, tag::ArpRatchetMode) ||
           std::find(std::begin(MENU_PUSH_TAGS), std::end(MENU_PUSH_TAGS), t) !=
               std::end(MENU_PUSH_TAGS);
}
} // namespace

void uEditor::raiseRedrawForTag(int t) {
    if (t == tag::VoiceDistortionOn) redrawDistortVoice = true;
    if (inRange(t, tag::PreEqOn, tag::PostEqHighPassFrequency)) redrawEQ = easyEQRedraw = true;
    // The oscillators' LFO, amplitude and pitch envelope settings live in their containers.
    if (inRange(t, tag::Osc1Symmetry, tag::Osc1PitchEnvRelease) ||
        inRange(t, tag::Osc2Symmetry, tag::Osc2PitchEnvRelease))
        redrawOscMod = true;
    if (inRange(t, tag::ModFirst, tag::ModLast) || inRange(t, tag::SeqStepOnA, tag::ArpLast))
        redrawMultiView = true;
}

void uEditor::resumeMenusOfTag(int t) {
    for (int i = tagControlIndex[t]; i >= 0; i = controlNextSameTag[i])
        if (controlKinds[i] == kKindMenu && controls[i] && controls[i]->getTag() == t)
            resumeMenu(static_cast<TOptionMenu*>(controls[i]));
}

void uEditor::resumeTitleMenusOfTag(int t, float range, int count, const char* const* titles) {
    APlugin* engine = getEngine();
    for (int i = tagControlIndex[t]; engine && i >= 0; i = controlNextSameTag[i])
        if (controlKinds[i] == kKindMenu && controls[i] && controls[i]->getTag() == t)
            resumeMenu(static_cast<TOptionMenu*>(controls[i]), engine->getParameter(t), range,
                       count, titles);
}

// What the idle pass does for one pushed tag; the default is every control of the tag.
void uEditor::serveTagAction(int t) {
    APlugin* engine = getEngine();
    if (!engine) return;
    const float v = engine->getParameter(t);
    if (isMenuTag(t)) {
        resumeMenusOfTag(t);
        // A knob may show the same tag on another page (the sequences' steps and loop start).
        serveParameter(t);
        return;
    }
    switch (t) {
    case tag::FilterType:
        resumeTitleMenusOfTag(t, 49.99f, FILTER_TYPE_COUNT, FILTER_TYPE_STR);
        return;
    case tag::MainLfoSpeedModSource:
        resumeTitleMenusOfTag(t, 127.99f, SRC_COUNT, SRC_STR);
        return;
    case tag::VoiceDistortionMode:
        redrawDistortVoice = true;
        return;
    case tag::DistortFxMode:
        if (screenMode == 1)
            resumeMenu(static_cast<TOptionMenu*>(findControl(t, 1)));
        else if (screenMode == 0)
            redrawMultiView = true;
        return;
    case tag::GaterLeft:
    case tag::GaterRight:
        // The rows follow the step count too, which the registry does not carry.
        for (auto& pair : ui.gateDisplays)
            screens::showGateRow(pair[t == tag::GaterRight ? 1 : 0], v,
                                 engine->getParameter(tag::GaterSteps));
        return;
    case tag::GaterSteps:
        for (auto& pair : ui.gateDisplays)
            for (int side = 0; side < 2; ++side)
                screens::showGateRow(
                    pair[side], engine->getParameter(side == 0 ? tag::GaterLeft : tag::GaterRight),
                    v);
        resumeMenusOfTag(t);
        return;
    case tag::OscPath:
    case tag::FxPath:
        // The path lists are drawn from the engine, not registered by tag.
        if (CView* list = ui.pathDisplays[t == tag::FxPath ? 1 : 0]) list->setDirty(true);
        return;
    case tag::Xy1LoopMode:
    case tag::Xy1PlayMode:
    case tag::Xy2LoopMode:
    case tag::Xy2PlayMode:
        xyModesChanged = true;
        return;
    case tag::Xy1RecordMode:
    case tag::Xy2RecordMode:
        showXYRecordModes();
        return;
    case tag::UserWave1Preset:
    case tag::UserWave2Preset: {
        const int wave = t - tag::UserWave1Preset;
        if (wave == selectedUserWave)
            resumeMenu(ui.wavePresetMenus[wave][0], v, 511.99f, USER_WAVE_PRESET_COUNT,
                       USER_WAVE_PRESET_STR);
        return;
    }
    case tag::PreEqOn:
    case tag::PostEqOn:
        redrawEQ = true;
        break;
    case tag::UserWaveExpPartialsOn:
        if (ui.waveDisplay) ui.waveDisplay->setExpPartial(engine->getOnOff(t));
        break;
    default:
        break;
    }
    serveParameter(t);
}

void uEditor::swapModeMemory(const int* tags, int count, float (*memory)[8], int oldRow,
                             int newRow) {
    APlugin* engine = getEngine();
    // The knobs take the new mode's values and names at once: the host re-reads them all.
    if (oldRow != newRow) requestHostDisplay();
    for (int k = 0; k < count; ++k) {
        memory[oldRow][k] = engine->getParameter(tags[k]);
        // A plain write: the mode change is the user's gesture, not automation of the knobs.
        engine->setParameter(tags[k], memory[newRow][k]);
        CControl* c = findControl(tags[k], 0);
        if (c) {
            c->setValue(engine->getParameter(tags[k]));
            c->invalid();
        }
    }
}

namespace {
int distortRow(int table, int mode) {
    return REAL_DISTORT_MODES[table][std::clamp(mode, 0, DISTORT_FX_MODE_COUNT - 1)];
}
} // namespace

void uEditor::updateDistortVoice(int oldMode, int newMode) {
    APlugin* engine = getEngine();
    if (!engine || !mainControlsMade || skipDistortVoice) return;
    const int oldRow = distortRow(0, oldMode), newRow = distortRow(0, newMode);
    swapModeMemory(DISTORT_VOICE_TAGS, kDistortSlots, distortVoiceMemory, oldRow, newRow);
    // The mix control (slot 0) keeps its picture; the seven knobs wear the mode's ring.
    for (int k = 1; k < kDistortSlots; ++k)
        if (auto* knob = dynamic_cast<TKnob*>(findControl(DISTORT_VOICE_TAGS[k], 0)))
            knob->setOuter(getSkinBitmap(DISTORT_RINGS[newRow][k] ? kRing4 : kRing3));
    redrawDistortVoice = true;
}

void uEditor::updateDistortFX(int oldMode, int newMode) {
    APlugin* engine = getEngine();
    if (!engine || !mainControlsMade || skipDistortVoice) return;
    const int oldRow = distortRow(1, oldMode), newRow = distortRow(1, newMode);
    swapModeMemory(DISTORT_FX_TAGS, kDistortSlots, distortFXMemory, oldRow, newRow);
    for (int k = 0; k < kDistortSlots; ++k)
        if (auto* knob = dynamic_cast<TKnob*>(findControl(DISTORT_FX_TAGS[k], 0)))
            knob->setOuter(getSkinBitmap(DISTORT_RINGS[newRow][k] ? kRing4 : kRing3));
    if (screenMode != 1) {
        redrawMultiView = true;
        return;
    }
    // The easy screen shows three of the knobs, with the mode's defaults and captions.
    const int easyTags[3] = {tag::DistortionFx2, tag::DistortionFx3, tag::DistortionFxMix};
    const int slots[3] = {2, 3, 0};
    for (int k = 0; k < 3; ++k) {
        CControl* c = findControl(easyTags[k], 1);
        if (!c) continue;
        c->setValue(engine->getParameter(easyTags[k]));
        c->setDefaultValue(DISTORT_DEFAULTS[newRow][slots[k]]);
        c->setDirty(true);
        if (k < 2)
            if (TLabel* caption = getCaption(c))
                caption->setString(DISTORT_MODE_LABEL_STR[newRow][slots[k]]);
    }
}

void uEditor::updateModFX(int oldMode, int newMode) {
    APlugin* engine = getEngine();
    if (!engine || skipMultiView) return;
    const int oldRow = std::clamp(oldMode, 0, kModFXModes - 1);
    const int newRow = std::clamp(newMode, 0, kModFXModes - 1);
    swapModeMemory(MODFX_TAGS, kModFXSlots, modFXMemory, oldRow, newRow);
    if (auto* sync = dynamic_cast<TOnOff*>(findControl(tag::ModFxTempoSyncOn, 0)))
        sync->setState(engine->getParameter(tag::ModFxTempoSyncOn) > 0.5f);
    // The easy screen's two effect knobs: the speed and the mix, with the mode's defaults.
    if (CControl* speed = findControl(tag::ModFx3, 1)) {
        speed->setValue(engine->getParameter(tag::ModFx3));
        speed->setDefaultValue(modFXMemory[newRow][3]);
        speed->setDirty(true);
    }
    if (CControl* mix = findControl(tag::ModFxMix, 1)) {
        mix->setValue(engine->getParameter(tag::ModFxMix));
        mix->setDefaultValue(MODFX_DEFAULTS[newRow][0]);
        mix->setDirty(true);
    }
    if (screenMode == 0) redrawMultiView = true;
}

void uEditor::updateArpSteps() {
    APlugin* engine = getEngine();
    if (!engine) return;
    const int s = getSelectedArp() & 1;
    for (int t : {ARP_STEPS_TAGS[s], ARP_LOOP_START_TAGS[s]}) {
        resumeMenusOfTag(t);
        serveParameter(t);
    }
    redrawMultiView = true;
}

void uEditor::updateShaperModeMenu(int mode) {
    APlugin* engine = getEngine();
    if (!engine) return;
    mode = std::clamp(mode, 0, kShaperModes - 1);
    setWaveUndo();
    setMenuValue(tag::UserWaveShaperMode, mode);
    if (ui.waveDisplay) ui.waveDisplay->setShaperMode(mode);
    const int tags[2] = {tag::UserWaveShaper1, tag::UserWaveShaper2};
    const float values[2] = {SHAPER_FIRST[mode], SHAPER_SECOND[mode]};
    for (int k = 0; k < 2; ++k) {
        for (int i = tagControlIndex[tags[k]]; i >= 0; i = controlNextSameTag[i]) {
            controls[i]->setValue(values[k]);
            controls[i]->setDefaultValue(values[k]);
            controls[i]->invalid();
        }
        userEdit(tags[k], values[k]);
    }
    redrawMultiView = true;
}

void uEditor::updateWaveScreen() {
    if (screenMode == 0) redrawMultiView = true;
}

void uEditor::setDropTag(int t) {
    dropTag = t;
    if (t == -1) return;
    if (APlugin* engine = getEngine()) {
        dropValue = engine->getParameter(t);
        dropReleased = false;
    }
}

void uEditor::releasedDropDial() {
    dropReleased = true;
}

void uEditor::dropMod() {
    APlugin* engine = getEngine();
    if (dropTag == -1 || !engine) return;
    if (!isValidTag(dropTag) || !dragAndDropOn) {
        dropTag = -1;
        return;
    }
    const int t = dropTag;
    // Dragging over the matrix moved the knob; it gets its value from before the drag.
    // Each tag the drop writes is one edit the host hears.
    userEdit(t, dropValue);
    if (engine->getTagDest(t) != 0) {
        for (int slot = 0; slot < tag::ModSlotCount; ++slot) {
            if (engine->getModDestBySlot(slot) != 0) continue;
            for (int first : {tag::ModOffsetFirst, tag::ModAmountFirst, tag::ModLowerFirst,
                              tag::ModUpperFirst, tag::ModSourceFirst})
                userEdit(first + slot, [&] { engine->setToDefault(first + slot); });
            const int dest = tag::ModDestFirst + slot;
            userEdit(dest, [&] {
                engine->setParameter(dest, (static_cast<float>(engine->getDestForTag(t)) + 0.1f) /
                                               399.99f);
            });
            break;
        }
    }
    dropTag = -1;
    redrawMultiView = true;
}

// Served from the mark the engine leaves when it applies a preset: both user waves go back
// to waveform editing.
void uEditor::turnPartialOff() {
    partialOffPending.store(true, std::memory_order_release);
    programApplied.store(true, std::memory_order_release);
    // A preset was applied: every value and name the host shows may have changed.
    requestHostDisplay();
}
