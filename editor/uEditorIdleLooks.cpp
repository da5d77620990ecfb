// What the idle pass polls without a parameter write: modulation rings of the controls shown,
// the XY pads' modes, the main screen's section looks (captions, overload, locks), the multi
// view's page (step lights, wave rebuild, FX section lights) and the easy screen's looks.
// Everything is compared with what was shown last, so a steady sound redraws nothing. Host
// user-interface thread.
#include "editor/EditorModeTables.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"

#include "controls/TBitmapSliders.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TWaveDisplay.h"
#include "controls/displays/TXYScreen.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;
using namespace edlayout;

namespace {
constexpr int kLightOff = 10048, kLightOn = 10049;
constexpr int kOverloadFadeStep = 10;
constexpr int kLabelGrey = 44; // the caption colour an overload fades back to

void lightLabel(TLabel* label, bool on) {
    if (label) label->setBypassed(!on);
}

bool isMixFilter(int k) {
    return k == 15 || k == 16 || k == 31 || k == 32;
}
} // namespace

void uEditor::greyLook(int look, int screen, bool off) {
    for (TLabel* label : ui.lookLabels[look][screen]) lightLabel(label, !off);
    for (TOptionMenu* menu : ui.lookMenus[look][screen])
        if (menu) menu->setBypassed(off);
}

// Knobs and sliders of the screen that are shown (on the frame or in a container) show their
// modulated value; the controls mark themselves dirty only when the ring moved.
void uEditor::idleShownModValues(int screen) {
    for (int i = 0; i < controlCount; ++i) {
        const int kind = controlKinds[i];
        CControl* c = controls[i];
        if ((kind != kKindKnob && kind != kKindSlider) || controlScreen[i] != screen || !c ||
            !c->isAttached() || !isValidTag(c->getTag()))
            continue;
        if (auto* knob = dynamic_cast<TKnob*>(c))
            setModValue(knob);
        else if (auto* v = dynamic_cast<TVSlider*>(c))
            setModValue(v);
        else if (auto* h = dynamic_cast<THSlider*>(c))
            setModValue(h);
    }
}

void uEditor::idleXYModes(int screen) {
    APlugin* engine = getEngine();
    if (!xyModesChanged.exchange(false)) return;
    for (int pad = 0; pad < 2; ++pad) {
        const int loop = engine->getXYLoopMode(pad), play = engine->getXYPlayMode(pad);
        const int stride = pad * tag::XyPadStride;
        auto* loopMenu = static_cast<TOptionMenu*>(findControl(tag::Xy1LoopMode + stride, screen));
        auto* playMenu = static_cast<TOptionMenu*>(findControl(tag::Xy1PlayMode + stride, screen));
        if (loopMenu) {
            loopMenu->setValue(static_cast<float>(loop));
            if (screen == 0)
                loopMenu->setString(XY_LOOP_MODE_STR[std::clamp(loop, 0, XY_LOOP_MODE_COUNT - 1)]);
            loopMenu->setDirty(true);
        }
        if (playMenu) {
            playMenu->setValue(static_cast<float>(play));
            if (screen == 0)
                playMenu->setString(
                    LFO_PLAY_MODE_STR[std::clamp(play, 0, LFO_PLAY_MODE_COUNT - 1)]);
            playMenu->setDirty(true);
        }
    }
}

void uEditor::idleSectionLooks(uint32_t t) {
    APlugin* engine = getEngine();
    const int k = engine->getSteppedValue(tag::FilterType);
    if (k != shownLooks.filterType) {
        shownLooks.filterType = k;
        if (TLabel* vowel = getCaption(findControl(tag::FilterVowel, 0))) {
            vowel->setString(isMixFilter(k) ? "MIX" : (k == 36 || k == 37) ? "FORMANT" : "VOWEL");
            vowel->setBypassed(!(isMixFilter(k) || (k >= 35 && k <= 37)));
        }
        if (TLabel* q = getCaption(findControl(tag::FilterQ, 0)))
            q->setString(k >= 38 ? "AMT" : "Q");
    }
    lightLabel(getCaption(findControl(tag::FilterStereoSplitOffset, 0)),
               engine->getOnOff(tag::FilterSplitModeOn));

    // The overload mark fades from red back to the caption's grey in 26 passes.
    int level = overloadLevel.load(std::memory_order_relaxed);
    if (level > 0) {
        level = level < kOverloadFadeStep ? 0 : level - kOverloadFadeStep;
        overloadLevel.store(level, std::memory_order_relaxed);
        const float l = static_cast<float>(level) / 255.0f;
        const float d = (1.0f - l) * kLabelGrey;
        CControl* volume = findControl(tag::MainVolume, 0);
        if (TLabel* caption = getCaption(volume))
            caption->setColor(CColor{static_cast<uint8_t>(l * 255.0f + d), static_cast<uint8_t>(d),
                                     static_cast<uint8_t>(d), 255});
        // The auto limiter may have lowered the main volume.
        if (volume) {
            volume->setValue(engine->getParameter(tag::MainVolume));
            volume->invalid();
        }
    }

    const int port = engine->getSteppedValue(tag::PortamentoMode);
    if (port != shownLooks.portMode) {
        shownLooks.portMode = port;
        lightLabel(getCaption(findControl(tag::PortamentoAmount, 0)), port != 0);
    }
    const int u = engine->getSteppedValue(tag::UnisonMode);
    if (u != shownLooks.unisonMode) {
        shownLooks.unisonMode = u;
        for (int t2 : {tag::UnisonSpread, tag::UnisonDelay, tag::UnisonDelaySyncOn})
            lightLabel(getCaption(findControl(t2, 0)), u != 0);
        lightLabel(getCaption(findControl(tag::UnisonAmount, 0)),
                   !(u == 0 || u == 6 || u == 7 || u >= 10));
    }

    const bool playLocked = engine->getLockState(1) == 1;
    if (TOptionMenu* lock = ui.playLockMenus[0])
        lock->setIndicator(playLocked, static_cast<int>(t / 500));
    if (playLocked) {
        for (int t2 :
             {tag::PortamentoAmount, tag::UnisonAmount, tag::UnisonSpread, tag::UnisonDelay})
            if (CControl* c = findControl(t2, 0)) c->setValue(engine->getLockVar(t2));
        for (int t2 = tag::PlayMode; t2 <= tag::UnisonMode; ++t2)
            updateLocked(static_cast<TOptionMenu*>(findControl(t2, 0)));
    }

    const int hp = engine->getOnOff(tag::HpOn), ws = engine->getOnOff(tag::WaveShaperOn);
    const int lofi = engine->getOnOff(tag::LowFiOn);
    if (hp != shownLooks.highPass) greyLook(kLookHighPass, 0, !(shownLooks.highPass = hp));
    if (ws != shownLooks.waveshaper) greyLook(kLookWaveshaper, 0, !(shownLooks.waveshaper = ws));
    if (lofi != shownLooks.lowFi) greyLook(kLookLowFi, 0, !(shownLooks.lowFi = lofi));
    const bool fxPage = multiViewPage == 3;
    if (ui.bypassFxSwitch && ui.bypassFxSwitch->isVisible() != fxPage)
        ui.bypassFxSwitch->setVisible(fxPage);
    if (ui.bypassFxLabel && ui.bypassFxLabel->isVisible() != fxPage)
        ui.bypassFxLabel->setVisible(fxPage);
}

void uEditor::idleMultiView(uint32_t t) {
    APlugin* engine = getEngine();
    if (skipMultiView) return;
    switch (multiViewPage) {
    case 0: {
        const int led = engine->getShownArpLedPos();
        if (led != shownLooks.arpLed) {
            shownLooks.arpLed = led;
            for (int i = 0; i < kArpLights; ++i)
                if (TBitmap* light = ui.arpLights[i]) {
                    light->setBackground(getSkinBitmap(i == led ? kLightOn : kLightOff));
                    light->setDirty(true);
                }
        }
        const int arp = engine->getShownArp();
        if (arp != -1 && arp != getSelectedArp()) {
            setSelectedArp(arp & 1);
            redrawMultiView = true;
        }
        if (ui.arpGrid) ui.arpGrid->setStepsLoop();
        const int seq = engine->getArpSeq();
        if (seq != shownLooks.arpSeq) {
            shownLooks.arpSeq = seq;
            if (ui.arpGrid) ui.arpGrid->setDirty(true);
        }
        const bool locked = engine->getLockState(2) == 1;
        if (ui.arpLockMenu) ui.arpLockMenu->setIndicator(locked, static_cast<int>(t / 500));
        if (locked) {
            const int s = getSelectedArp() & 1;
            for (TKnob* knob : ui.arpKnobs[s])
                if (knob) knob->setValue(engine->getLockVar(knob->getTag()));
            for (int t2 : {tag::ArpOn, tag::ArpSyncOn})
                if (CControl* c = findControl(t2, 0)) c->setValue(engine->getLockVar(t2));
            for (int t2 = tag::ArpPlayMode; t2 <= tag::ArpRatchetMode; ++t2)
                updateLocked(static_cast<TOptionMenu*>(findControl(t2, 0)));
            for (int t2 : {tag::SeqLoopStartA, tag::SeqStepsA, tag::SeqSpeedA})
                updateLocked(static_cast<TOptionMenu*>(findControl(t2 + s * tag::SeqStride, 0)));
        }
        break;
    }
    case 1: {
        const int wave = selectedUserWave & 1;
        if (TOptionMenu* presets = ui.wavePresetMenus[wave][0])
            presets->setBypassed(engine->getSteppedValue(tag::UserWaveShaperMode) != 0);
        if (waveChanged.exchange(false)) {
            // The wave's points follow the preset the musician chose: each an edit the host
            // hears, as the choice was.
            editsTold([&] { engine->setUserWave(wave); });
            if (ui.waveDisplay) ui.waveDisplay->setDirty(true);
        }
        // The render rebuilds the tables after a write of the points, later than the pass
        // that served the write.
        if (const uint32_t look = engine->getWaveLookStamp(); look != shownLooks.waveLook) {
            shownLooks.waveLook = look;
            if (ui.waveDisplay) ui.waveDisplay->setDirty(true);
        }
        break;
    }
    case 2: {
        // The destinations of the distortion FX are named after the mode the render applied,
        // which may follow the pass that served the write of the mode.
        const int mode = engine->getDistortFXMode();
        if (mode != shownLooks.distortFXMode) {
            shownLooks.distortFXMode = mode;
            if (ui.modMatrixDisplay) ui.modMatrixDisplay->setDirty(true);
        }
        break;
    }
    case 3: {
        const bool bypass = engine->getOnOff(tag::BypassFxOn);
        const int onTags[5] = {tag::DistortFxOn, tag::ModFxOn, tag::DelayOn, tag::ReverbOn,
                               tag::GaterOn};
        const int looks[5] = {kLookDistortFX, kLookModFX, kLookDelay, kLookReverb, kLookGater};
        for (int i = 0; i < 5; ++i) {
            fxOn[i] = !bypass && engine->getOnOff(onTags[i]);
            greyLook(looks[i], 0, !fxOn[i]);
        }
        for (CView* d : ui.gateDisplays[0]) screens::lightGateRow(d, fxOn[4]);
        const int dMode = engine->getSteppedValue(tag::DistortFxMode);
        if (fxOn[0]) lightLabel(ui.distortFxLabels[7], !(dMode == 0 || dMode == 3));
        const int mMode = engine->getSteppedValue(tag::ModFxMode);
        if (fxOn[1]) {
            lightLabel(ui.modFxLabels[4], !(mMode == 7 || mMode == 8));
            lightLabel(ui.modFxLabels[5], mMode != 9);
        }
        break;
    }
    default:
        break;
    }
}

void uEditor::idleEasyScreen(uint32_t t) {
    APlugin* engine = getEngine();
    idleShownModValues(1);
    idleXYModes(1);
    if (easyEQRedraw) updateEasyEQ();
    for (TXYScreen* pad : ui.xyDisplays[1])
        if (pad) pad->update(static_cast<int>(t / 100), xyModOn);
    const int k = engine->getSteppedValue(tag::FilterType);
    if (k != shownLooks.easyFilterType && ui.easyFilterKnob) {
        shownLooks.easyFilterType = k;
        const bool vowel = k >= 35 && k <= 37;
        const int newTag = vowel ? tag::FilterVowel : tag::FilterQ;
        retagControl(ui.easyFilterKnob, newTag);
        if (ui.easyFilterLabel)
            ui.easyFilterLabel->setString(k == 35   ? "Vowel"
                                          : vowel   ? "Formant"
                                          : k >= 38 ? "AMT"
                                                    : "Q");
        ui.easyFilterKnob->setValue(engine->getParameter(newTag));
        ui.easyFilterKnob->setDirty(true);
    }
    const int onTags[kLookCount] = {
        tag::HpOn,        tag::WaveShaperOn, tag::LowFiOn, tag::VoiceDistortionOn,
        tag::DistortFxOn, tag::ModFxOn,      tag::DelayOn, tag::ReverbOn,
        tag::GaterOn};
    for (int look = 0; look < kLookCount; ++look)
        greyLook(look, 1, !engine->getOnOff(onTags[look]));
    for (CView* d : ui.gateDisplays[1]) screens::lightGateRow(d, engine->getOnOff(tag::GaterOn));
    // The pulsing pictures step once per tenth of a second.
    const uint32_t tenth = t / 100;
    if (tenth != lastPulseTenth) {
        lastPulseTenth = tenth;
        for (int i = 0; i < 5; ++i) {
            pulsePhase[i] += pulseSpeed[i];
            pulsePhase[i] -= std::floor(pulsePhase[i]);
            if (ui.pulses[i])
                ui.pulses[i]->setAlpha(
                    static_cast<int>(std::sin(2.0f * pulsePhase[i] * 3.14159f) * 63.0f) + 192);
        }
    }
}
