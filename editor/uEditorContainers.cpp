// Refilling the main screen's view containers: the oscillator pages, the EQ shown, the voice
// distortion of its mode and the multi view's page. Only the idle pass refills, when a redraw
// request is set; a refill detaches the old views and adds the new selection's, never making
// or releasing a control. Host user-interface thread.
#include "editor/EditorModeTables.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TWaveDisplay.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>

using namespace VSTGUI;
using namespace edtables;

namespace {
void setRadios(TRadioButton* const* radios, int count, int selected) {
    for (int i = 0; i < count; ++i)
        if (radios[i]) radios[i]->setState(i == selected);
}

void refill(CViewContainer* c, CBitmap* background) {
    if (c->getNbViews() > 0) c->removeAll(false);
    c->setBackground(background);
    c->invalid();
}

void add(CViewContainer* c, CView* v) {
    if (v) c->addView(v);
}
} // namespace

// Views of a multi-view page in their order; their menus take the engine's steps, except the
// wave preset menus, which show a title.
void uEditor::showPageViews(CView* const* views, int count) {
    for (int i = 0; i < count; ++i) {
        CView* v = views[i];
        if (!v) continue;
        multiViewContainer->addView(v);
        auto* menu = dynamic_cast<TOptionMenu*>(v);
        if (menu && isValidTag(menu->getTag()) && menu->getTag() != tag::UserWave1Preset &&
            menu->getTag() != tag::UserWave2Preset)
            resumeMenu(menu);
    }
}

void uEditor::redrawOscModViewContainer() {
    if (!oscModContainer[0] || !oscModContainer[1] || !getEngine() || skipOscMod) return;
    skipOscMod = true;
    redrawOscMod = false;
    for (int osc = 0; osc < 2; ++osc) {
        CViewContainer* c = oscModContainer[osc];
        const int p = std::clamp(oscPage[osc], 0, 2);
        setRadios(ui.oscPageRadios[osc], 3, p);
        refill(c, getSkinBitmap(skin::kOscModBackground));
        for (int i = OSC_START_LABEL[p]; i <= OSC_END_LABEL[p]; ++i)
            add(c, ui.oscModLabels[osc][i]);
        for (int i = OSC_START_KNOB[p]; i <= OSC_END_KNOB[p]; ++i) add(c, ui.oscModKnobs[osc][i]);
        add(c, ui.oscPageControls[osc][p]);
        if (p == 0) add(c, ui.oscLfoExtra[osc]);
    }
    skipOscMod = false;
}

void uEditor::redrawEQViewContainer() {
    APlugin* engine = getEngine();
    if (!eqContainer || !engine || skipEQ) return;
    skipEQ = true;
    redrawEQ = false;
    const int e = selectedEQ & 1;
    refill(eqContainer, getSkinBitmap(skin::kEQBackground));
    const bool off = !engine->getOnOff(EQ_ON_TAGS[e]);
    for (TLabel* label : ui.eqLabels[e])
        if (label) {
            label->setBypassed(off);
            eqContainer->addView(label);
        }
    for (TKnob* knob : ui.eqKnobs[e]) add(eqContainer, knob);
    if (TOptionMenu* mode = ui.eqModeMenus[e]) {
        mode->setBypassed(off);
        eqContainer->addView(mode);
        resumeMenu(mode);
    }
    // The EQ display stays on the main screen; it draws the EQ now selected.
    screens::pointEQCurve(ui.eqDisplays[0], e, off);
    skipEQ = false;
}

void uEditor::redrawDistortVoiceViewContainer() {
    APlugin* engine = getEngine();
    if (!distortVoiceContainer || !engine || skipDistortVoice) return;
    skipDistortVoice = true;
    redrawDistortVoice = false;
    CViewContainer* c = distortVoiceContainer;
    refill(c, getSkinBitmap(skin::kDistortVoiceBackground));
    const int m = REAL_DISTORT_MODES[0][std::clamp(
        engine->getSteppedValue(tag::VoiceDistortionMode), 0, DISTORT_FX_MODE_COUNT - 1)];
    const bool off = !engine->getOnOff(tag::VoiceDistortionOn);
    // A mode written by the host turns the rings as a mode chosen on the screen does.
    setDistortRings();
    if (TOptionMenu* menu = ui.distortVoiceMenu) {
        menu->setBypassed(off);
        c->addView(menu);
        resumeMenu(menu);
    }
    for (int k = 1; k < kDistortSlots; ++k) {
        if (TKnob* knob = ui.distortVoiceKnobs[k - 1]) {
            knob->setDefaultValue(DISTORT_DEFAULTS[m][k]);
            c->addView(knob);
        }
        if (TLabel* label = ui.distortVoiceLabels[k]) {
            label->setString(DISTORT_MODE_LABEL_STR[m][k]);
            label->setBypassed(off);
            c->addView(label);
        }
    }
    if (CControl* mix = ui.distortVoiceMix) {
        mix->setDefaultValue(DISTORT_DEFAULTS[m][0]);
        c->addView(mix);
    }
    if (TLabel* label = ui.distortVoiceLabels[0]) {
        label->setBypassed(off);
        c->addView(label);
    }
    if (ui.modMatrixDisplay) ui.modMatrixDisplay->setDirty(true);
    skipDistortVoice = false;
}

void uEditor::redrawMultitViewContainer() {
    APlugin* engine = getEngine();
    if (!multiViewContainer || !engine || skipMultiView) return;
    skipMultiView = true;
    redrawMultiView = false;
    const int q = std::clamp(multiViewPage, 0, skin::kPageCount - 1);
    setRadios(ui.pageRadios, skin::kPageCount, q);
    // The page pictures were decoded when the editor opened; a refill only points at one.
    refill(multiViewContainer, getPageBackground(q));
    switch (q) {
    case 0: {
        const int s = getSelectedArp() & 1;
        setRadios(ui.arpSeqRadios, 2, s);
        showPageViews(ui.pageViews[0], edlayout::kPageViews);
        for (TKnob* knob : ui.arpKnobs[s]) add(multiViewContainer, knob);
        showPageViews(ui.arpSeqViews[s], edlayout::kArpSeqViews);
        if (ui.arpLockMenu)
            ui.arpLockMenu->setString(
                LOCK_STR[std::clamp(engine->getLockState(2), 0, LOCK_COUNT - 1)]);
        if (ui.arpGrid) {
            ui.arpGrid->setArp(s);
            ui.arpGrid->setDirty(true);
        }
        shownLooks.arpLed = -2; // the lights are set afresh by the next pass
        break;
    }
    case 1: {
        const int wave = selectedUserWave & 1;
        setRadios(ui.userWaveRadios, 2, wave);
        setRadios(ui.waveDrawRadios, 3, waveDrawMode);
        for (int mode = 0; mode < 2; ++mode)
            if (TRadioButton* r = ui.waveEditRadios[wave][mode]) {
                r->setState(waveEditMode[wave] == mode);
                multiViewContainer->addView(r);
            }
        // Showing the page writes nothing the engine already holds.
        if (engine->getOnOff(USE_PARTIALS_ON_TAGS[wave]) != (waveEditMode[wave] == 1))
            userEdit(USE_PARTIALS_ON_TAGS[wave], [&] {
                engine->setOnOff(USE_PARTIALS_ON_TAGS[wave], waveEditMode[wave] == 1);
            });
        showPageViews(ui.pageViews[1], edlayout::kPageViews);
        showPageViews(ui.waveViews[wave], edlayout::kWaveViews);
        resumeMenu(ui.wavePresetMenus[wave][0], engine->getParameter(WAVE_PRESET_NUMS_TAGS[wave]),
                   511.99f, USER_WAVE_PRESET_COUNT, USER_WAVE_PRESET_STR);
        if (TWaveDisplay* display = ui.waveDisplay) {
            display->setDrawMode(waveDrawMode);
            display->setPartial(waveEditMode[wave] == 1);
            display->setWave(wave);
            display->setDirty(true);
        }
        break;
    }
    case 3:
        fillFXPage();
        break;
    default:
        showPageViews(ui.pageViews[q], edlayout::kPageViews);
        for (CView* d : {ui.modMatrixDisplay, ui.pathDisplays[0], ui.pathDisplays[1]})
            if (d) d->setDirty(true);
        break;
    }
    multiViewContainer->setDirty(true);
    skipMultiView = false;
}

// The FX page: controls that a mode does not use stay off the page, and the modulation and
// distortion effects' captions and knob defaults follow their modes.
void uEditor::fillFXPage() {
    APlugin* engine = getEngine();
    const int mm = std::clamp(engine->getSteppedValue(tag::ModFxMode), 0, kModFXModes - 1);
    const int d = std::clamp(engine->getSteppedValue(tag::DistortFxMode), 0, kDistortModes - 1);
    CView* const leftOut[3] = {(mm == 7 || mm == 8) ? ui.modFxKnobs[4] : nullptr,
                               (d == 0 || d == 3) ? ui.distortFxControls[7] : nullptr,
                               mm == 9 ? ui.modFxSync : nullptr};
    for (CView* v : ui.pageViews[3]) {
        if (!v || std::find(std::begin(leftOut), std::end(leftOut), v) != std::end(leftOut))
            continue;
        multiViewContainer->addView(v);
        auto* menu = dynamic_cast<TOptionMenu*>(v);
        if (menu && isValidTag(menu->getTag())) resumeMenu(menu);
    }
    for (int i = 0; i < kModFXSlots; ++i)
        if (ui.modFxLabels[i]) ui.modFxLabels[i]->setString(MODFX_CAPTIONS[mm][i]);
    for (int i = 0; i < 5; ++i)
        if (ui.modFxKnobs[i]) ui.modFxKnobs[i]->setDefaultValue(MODFX_DEFAULTS[mm][i]);
    for (int k = 0; k < kDistortSlots; ++k) {
        if (ui.distortFxControls[k])
            ui.distortFxControls[k]->setDefaultValue(DISTORT_DEFAULTS[d][k]);
        if (ui.distortFxLabels[k]) ui.distortFxLabels[k]->setString(DISTORT_MODE_LABEL_STR[d][k]);
    }
    const float steps = engine->getParameter(tag::GaterSteps);
    screens::showGateRow(ui.gateDisplays[0][0], engine->getParameter(tag::GaterLeft), steps);
    screens::showGateRow(ui.gateDisplays[0][1], engine->getParameter(tag::GaterRight), steps);
}
