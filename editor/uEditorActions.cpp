// The listener of every control: a control change reaches the engine (and through it the
// host) by the automated write, unless the control carries an action of its own: preset and
// screen commands, radio groups, menus that step a parameter or find their entry by title,
// locks and play-mode rules. Host user-interface thread.
#include "editor/EditorModeTables.h"
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TSlider.h"
#include "controls/displays/TXYScreen.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"

#include <cstring>
#include <fstream>

using namespace VSTGUI;
using namespace edtables;

namespace {
constexpr int kArpPlayMode = 8;   // the play mode of the arpeggiator
constexpr int kFirstSeqMode = 13; // arpeggiator modes from here on are sequencer modes
constexpr int kPresetsPerColumn = 32;
constexpr int kXYPlayFree = 1; // the XY play mode "Free"

// The entry of a table whose title is the chosen one, else -1.
int findTitle(const char* title, const char* const* table, int count) {
    for (int i = 0; title && i < count; ++i)
        if (table[i] && std::strcmp(title, table[i]) == 0) return i;
    return -1;
}

template <class T, size_t N> int indexIn(T* const (&list)[N], const CControl* c) {
    for (size_t i = 0; i < N; ++i)
        if (list[i] && static_cast<const CControl*>(list[i]) == c) return static_cast<int>(i);
    return -1;
}
} // namespace

void uEditor::valueChanged(CControl* c) {
    if (!getEngine() || !frame || !finishedOpening || !c) return;
    // The top bar's commands change the whole sound or none of it: see actTopBar.
    if (actTopBar(c, c->getValue() > 0.5f)) return;
    // A command (a menu's choice, or a control of no parameter of its own: a button, a
    // read-out, a radio) is one edit of each parameter it moves, also when it runs again with
    // the answer to its question (runAsking); the controls of a parameter change inside the
    // edit brackets of their gestures.
    if (dynamic_cast<COptionMenu*>(c) || !isValidTag(c->getTag()))
        editsTold([&] { actOnChange(c); });
    else
        actOnChange(c);
    // A menu's choice shows in the read-outs, as a knob's move does, wherever the pointer was
    // left. The groups of the user waves' preset menus stand for no parameter of their own.
    if (!dynamic_cast<COptionMenu*>(c)) return;
    int chosen = c->getTag();
    for (int wave = 0; wave < 2; ++wave)
        if (indexIn(ui.wavePresetMenus[wave], c) >= 0) chosen = WAVE_PRESET_NUMS_TAGS[wave];
    showChosen(chosen);
}

void uEditor::actOnChange(CControl* c) {
    APlugin* engine = getEngine();
    const bool pressed = c->getValue() > 0.5f;
    int index = -1;
    char title[256] = {};
    if (auto* menu = dynamic_cast<COptionMenu*>(c)) index = menu->getCurrent(title, false);
    if (actRadios(c, pressed) || actWave(c, pressed, index, title) ||
        actBackSide(c, pressed, index) || actArp(c, index) || actMenus(c, index, title))
        return;
    const int t = c->getTag();
    if (!isValidTag(t)) return;
    // A menu's value is its entry, not a parameter value: it is written as that step.
    if (index >= 0 && dynamic_cast<COptionMenu*>(c))
        setMenuValue(t, index);
    else
        engine->setParameterAutomated(t, c->getValue());
}

// A program, the compare and the init patch replace the whole sound: each value they moved is
// told to the host as one edit, as the other commands' are (a program's once the render has
// applied it), so the host keeps the musician's choice; then the host re-reads every value and
// name (updateDisplay; a program applied asks for it, turnPartialOff). The other commands of
// the top bar move no parameter.
bool uEditor::actTopBar(CControl* c, bool pressed) {
    APlugin* engine = getEngine();
    if (c == ui.presetMenu) {
        char title[256] = {};
        ui.presetMenu->getCurrent(title, false);
        if (std::strcmp(title, "Clear Preset") == 0) {
            soundTold([engine] { engine->clearProgram(); });
            requestHostDisplay();
        }
        const int size = findTitle(title, SET_SCREEN_SIZE_STR, SET_SCREEN_SIZE_COUNT);
        // Its notice is shown beside the idle calls.
        if (size >= 0) runAsking([this, size] { setScreenSize(size); });
        return true;
    }
    if (const int column = indexIn(ui.presetColumnMenus, c); column >= 0) {
        const int entry = ui.presetColumnMenus[column]->getCurrentIndex(false);
        if (entry >= 0)
            programTold([&] { engine->setDemoProgram(entry + kPresetsPerColumn * column); });
        resume();
        return true;
    }
    if (c == ui.previewButton) {
        pressed ? engine->previewNoteOn() : engine->previewNoteReleased();
        return true;
    }
    if (c == ui.origButton || c == ui.editButton || c == ui.helpButton || c == ui.easyButton ||
        c == ui.backButton) {
        if (!pressed) return true;
        // The compare swaps every value at once: the host re-reads them all.
        if (c == ui.origButton || c == ui.editButton) requestHostDisplay();
        if (c == ui.origButton) soundTold([engine] { engine->origProgram(); });
        if (c == ui.editButton) soundTold([engine] { engine->editProgram(); });
        if (c == ui.backButton) showBackScreen();
        if (c == ui.easyButton) screenMode == 1 ? showMainScreen() : showEasyScreen();
        // The manual opens in the desktop's viewer, started without a shell with the path as
        // one argument. Nothing installs it: when it is missing the musician is told so,
        // beside the idle calls, rather than shown nothing.
        if (c == ui.helpButton) {
            const std::string manual = engine->getHelpPath();
            if (std::ifstream(manual).good())
                openWithDesktop(manual);
            else
                runAsking([manual] {
                    messageBox("The ZEK2 manual is not installed: there is no file " + manual + ".",
                               2);
                });
        }
        return true;
    }
    if (c == ui.ecsMenu) {
        // The choosers and their messages run beside the idle calls.
        const int entry = ui.ecsMenu->getCurrentIndex(false);
        if (entry == 0) runAsking([engine] { engine->loadECS(); });
        if (entry == 1) runAsking([engine] { engine->saveECS(); });
        if (entry == 2) engine->resetMIDI();
        return true;
    }
    return false;
}

bool uEditor::actRadios(CControl* c, bool pressed) {
    APlugin* engine = getEngine();
    auto on = [&](auto& group, int n, int k) {
        for (int i = 0; i < n; ++i)
            if (group[i]) group[i]->setState(i == k);
    };
    for (int osc = 0; osc < 2; ++osc)
        if (const int k = indexIn(ui.oscPageRadios[osc], c); k >= 0) {
            if (!pressed) return true;
            oscPage[osc] = k;
            on(ui.oscPageRadios[osc], 3, k);
            redrawOscMod = true;
            return true;
        }
    for (int screen = 0; screen < edlayout::kScreens; ++screen)
        for (int pad = 0; pad < 2; ++pad)
            if (const int k = indexIn(ui.xyModeRadios[screen][pad], c); k >= 0) {
                if (!pressed) return true;
                userEdit(XY_RECORD_MODE_TAGS[pad], [&] {
                    engine->setParameter(XY_RECORD_MODE_TAGS[pad], (k + 0.1f) / 2.99f);
                });
                resume();
                frame->invalid();
                return true;
            }
    for (int screen = 0; screen < edlayout::kScreens; ++screen)
        if (const int k = indexIn(ui.eqRadios[screen], c); k >= 0) {
            if (!pressed) return true;
            selectedEQ = k;
            for (auto& pair : ui.eqRadios) on(pair, 2, k);
            redrawEQ = easyEQRedraw = true;
            return true;
        }
    if (const int k = indexIn(ui.pageRadios, c); k >= 0) {
        if (pressed) setMultiViewPage(k);
        return true;
    }
    if (const int k = indexIn(ui.arpSeqRadios, c); k >= 0) {
        if (!pressed) return true;
        setSelectedArp(k);
        on(ui.arpSeqRadios, 2, k);
        redrawMultiView = true;
        return true;
    }
    return false;
}

// What each parameter's menu does beyond the step it chose.
enum class uEditor::MenuRule {
    OscType,          // the step, and the oscillator's symmetry to the middle
    XYMode,           // the step, and the pad's displays redrawn
    PlayMode,         // the step unless locked, and the arpeggiator follows
    UnlessPlayLocked, // the step unless the play section is locked
    FilterByTitle,    // the filter type whose name was chosen (in any group)
    SourceByTitle,    // the speed source whose name was chosen (in any group)
    EQMode,           // the step, and the EQ curve redrawn
    ModeSwap,         // the step, and the section's knobs swap their remembered values
    MultiView,        // the step, and the page container redrawn
    RibbonStep,       // the ribbon's quantization or spring time, written as its step
};

namespace {
struct MenuRuleRow {
    int tag;
    uEditor::MenuRule rule;
};
using Rule = uEditor::MenuRule;
constexpr MenuRuleRow MENU_RULES[] = {
    {tag::Osc1Type, Rule::OscType},
    {tag::Osc2Type, Rule::OscType},
    {tag::Xy1LoopMode, Rule::XYMode},
    {tag::Xy1PlayMode, Rule::XYMode},
    {tag::Xy1Sync, Rule::XYMode},
    {tag::Xy2LoopMode, Rule::XYMode},
    {tag::Xy2PlayMode, Rule::XYMode},
    {tag::Xy2Sync, Rule::XYMode},
    {tag::PlayMode, Rule::PlayMode},
    {tag::PortamentoMode, Rule::UnlessPlayLocked},
    {tag::PitchBendDown, Rule::UnlessPlayLocked},
    {tag::PitchBendUp, Rule::UnlessPlayLocked},
    {tag::UnisonMode, Rule::UnlessPlayLocked},
    {tag::FilterType, Rule::FilterByTitle},
    {tag::MainLfoSpeedModSource, Rule::SourceByTitle},
    {tag::PreEqFilterMode, Rule::EQMode},
    {tag::PostEqFilterMode, Rule::EQMode},
    {tag::VoiceDistortionMode, Rule::ModeSwap},
    {tag::DistortFxMode, Rule::ModeSwap},
    {tag::ModFxMode, Rule::ModeSwap},
    {tag::FreeLfo1Wave, Rule::MultiView},
    {tag::FreeLfo1PlayMode, Rule::MultiView},
    {tag::FreeLfo2Wave, Rule::MultiView},
    {tag::FreeLfo2PlayMode, Rule::MultiView},
    {tag::FreeLfo12Mode, Rule::MultiView},
    {tag::GaterSpeed, Rule::MultiView},
    {tag::GaterSteps, Rule::MultiView},
    {tag::GaterMode, Rule::MultiView},
    {tag::RibbonQuantization, Rule::RibbonStep},
    {tag::RibbonSpringTime, Rule::RibbonStep},
};
} // namespace

bool uEditor::actMenus(CControl* c, int index, const char* title) {
    if (indexIn(ui.playLockMenus, c) >= 0) return actPlayLock(c, index);
    for (auto& group : ui.filterGroupMenus)
        if (indexIn(group, c) >= 0)
            return actMenuRule(Rule::FilterByTitle, tag::FilterType, index, title);
    if (indexIn(ui.sourceGroupMenus, c) >= 0)
        return actMenuRule(Rule::SourceByTitle, tag::MainLfoSpeedModSource, index, title);
    if (c->getTag() == tag::RibbonBipolarOn && !dynamic_cast<COptionMenu*>(c))
        return actRibbonBipolar(c);
    if (!dynamic_cast<COptionMenu*>(c)) return false;
    for (const MenuRuleRow& row : MENU_RULES)
        if (row.tag == c->getTag()) return actMenuRule(row.rule, row.tag, index, title);
    return false; // the other menus step their parameter (valueChanged)
}

bool uEditor::actPlayLock(CControl* c, int index) {
    APlugin* engine = getEngine();
    engine->setLockState(1, index);
    engine->setLockState(2, index);
    if (index == 2) c->setValue(0.0f);
    if (ui.arpLockMenu && (index == 1 || index == 2))
        ui.arpLockMenu->setValue(index == 1 ? 1.0f : 0.0f);
    for (TOptionMenu* m : ui.playLockMenus)
        if (m) m->setString(LOCK_STR[engine->getLockState(1) % LOCK_COUNT]);
    if (ui.arpLockMenu) ui.arpLockMenu->setString(LOCK_STR[engine->getLockState(2) % LOCK_COUNT]);
    resume();
    return true;
}

// A bipolar ribbon rests in its middle, a unipolar one at its start.
bool uEditor::actRibbonBipolar(CControl* c) {
    APlugin* engine = getEngine();
    engine->setParameterAutomated(tag::RibbonBipolarOn, c->getValue());
    userEdit(tag::RibbonValue, engine->getOnOff(tag::RibbonBipolarOn) ? 0.5f : 0.0f);
    if (ui.ribbon) {
        ui.ribbon->setValue(engine->getParameter(tag::RibbonValue));
        ui.ribbon->setDirty(true);
    }
    return true;
}

bool uEditor::actMenuRule(MenuRule rule, int t, int index, const char* title) {
    APlugin* engine = getEngine();
    switch (rule) {
    case Rule::OscType:
        setMenuValue(t, index);
        userEdit(OSC_SYM_TAGS[t == tag::Osc2Type],
                 [&] { engine->setParameter(OSC_SYM_TAGS[t == tag::Osc2Type], 0.5f); });
        return true;
    case Rule::XYMode: {
        setMenuValue(t, index);
        const int pad = t >= tag::Xy2RecordMode ? 1 : 0;
        for (auto& screen : ui.xyDisplays)
            if (screen[pad]) screen[pad]->setDirty(true);
        return true;
    }
    case Rule::PlayMode:
        if (engine->getPlayLocked()) return true;
        setMenuValue(t, index);
        if (engine->getLockSteppedValue(tag::PlayMode) != kArpPlayMode) {
            editSwitchTold(tag::ArpOn, false);
            arpStopRule();
        } else {
            editSwitchTold(tag::ArpOn, true);
            arpStartRule();
        }
        return true;
    case Rule::UnlessPlayLocked:
        if (!engine->getPlayLocked()) setMenuValue(t, index);
        return true;
    case Rule::FilterByTitle:
    case Rule::SourceByTitle: {
        const bool filter = rule == Rule::FilterByTitle;
        const int k = filter ? findTitle(title, FILTER_TYPE_STR, FILTER_TYPE_COUNT)
                             : findTitle(title, SRC_STR, SRC_COUNT);
        if (k >= 0) setMenuValue(t, k);
        return true;
    }
    case Rule::EQMode:
        setMenuValue(t, index);
        redrawEQ = true;
        return true;
    case Rule::ModeSwap: {
        const int oldMode = engine->getSteppedValue(t);
        setMenuValue(t, index);
        const int newMode = engine->getSteppedValue(t);
        if (t == tag::VoiceDistortionMode) updateDistortVoice(oldMode, newMode);
        if (t == tag::DistortFxMode) updateDistortFX(oldMode, newMode);
        if (t == tag::ModFxMode) updateModFX(oldMode, newMode);
        return true;
    }
    case Rule::MultiView:
        setMenuValue(t, index);
        redrawMultiView = true;
        return true;
    case Rule::RibbonStep:
        userEdit(t, [&] {
            engine->setParameter(t,
                                 (index + 0.1f) / (t == tag::RibbonQuantization ? 12.99f : 17.99f));
        });
        if (t == tag::RibbonSpringTime && engine->getSteppedValue(t) != 0)
            engine->setRibbonSpringOn();
        if (ui.ribbon) ui.ribbon->invalid();
        return true;
    }
    return false;
}

// The play mode became the arpeggiator: sequencer modes give way to the first arpeggiator
// mode, and both XY pads replay in the arpeggiator's time.
void uEditor::arpStartRule() {
    APlugin* engine = getEngine();
    if (engine->getSteppedValue(tag::ArpMode) >= kFirstSeqMode) editStepTold(tag::ArpMode, 0);
    for (int pad = 0; pad < 2; ++pad) {
        const int t = tag::Xy1PlayMode + pad * tag::XyPadStride;
        // Kept once per arpeggiator run: starting it again while it runs keeps the first.
        if (keptXYPlayMode[pad] < 0) keptXYPlayMode[pad] = engine->getSteppedValue(t);
        editStepTold(t, kXYPlayFree);
    }
    xyModesChanged = true;
}

void uEditor::arpStopRule() {
    APlugin* engine = getEngine();
    for (int pad = 0; pad < 2; ++pad) {
        const int t = tag::Xy1PlayMode + pad * tag::XyPadStride;
        // A play mode the user chose while the arpeggiator ran is the user's and stays.
        if (keptXYPlayMode[pad] >= 0 && engine->getSteppedValue(t) == kXYPlayFree)
            editStepTold(t, keptXYPlayMode[pad]);
        keptXYPlayMode[pad] = -1;
    }
    xyModesChanged = true;
}

void uEditor::editStepTold(int t, int index) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(t) || engine->getSteppedValue(t) == index) return;
    userEdit(t, [&] { engine->setSteppedValue(t, index); });
}

void uEditor::editSwitchTold(int t, bool on) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(t) || engine->getOnOff(t) == on) return;
    userEdit(t, [&] { on ? engine->setOn(t) : engine->setOff(t); });
}
