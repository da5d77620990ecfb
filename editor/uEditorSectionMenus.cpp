// The command menus of the sound sections' menu buttons: oscillators, filter, amp, play mode
// and the effects. Each resets, copies, pastes, swaps, randomizes and undoes its sections.
// Host user-interface thread; each menu stays open across idle calls and acts when it closes.
#include "editor/ueditor.h"

#include "controls/TOptionMenu.h"
#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <iterator>
#include <string>

namespace {

// Per effect section: its name in the menu and its on/off switch.
struct FXMenuEntry {
    int section;
    const char* name;
    int onTag;
};
constexpr FXMenuEntry FX_MENUS[] = {
    {section::LowFi, "LowFi", tag::LowFiOn},
    {section::VoiceDistortion, "Voice Distortion", tag::VoiceDistortionOn},
    {section::WaveShaper, "WaveShaper", tag::WaveShaperOn},
    {section::DistortFX, "Distort FX", tag::DistortFxOn},
    {section::ModFX, "Mod FX", tag::ModFxOn},
    {section::Delay, "Delay", tag::DelayOn},
    {section::Reverb, "Reverb", tag::ReverbOn}};

// What each menu button opens, one row per button id named by its caption on the main screen,
// so every row can be read against the panel the button sits on.
struct MenuButtonRow {
    const char* caption;
    void (*open)(uEditor&);
};
constexpr MenuButtonRow MENU_BUTTONS[] = {
    {"OSC1", [](uEditor& e) { e.showOscMenu(0); }},
    {"OSC2", [](uEditor& e) { e.showOscMenu(1); }},
    {"FILTER", [](uEditor& e) { e.showFilterMenu(); }},
    {"AMP", [](uEditor& e) { e.showAmpMenu(); }},
    {"PLAY", [](uEditor& e) { e.showPlayMenu(); }},
    {"MAIN LFO", [](uEditor& e) { e.showMainLFOMenu(); }},
    {"EQ", [](uEditor& e) { e.showEQMenu(); }},
    {"WAVESHAPER", [](uEditor& e) { e.showFXMenu(section::WaveShaper); }},
    {"DISTORT", [](uEditor& e) { e.showFXMenu(section::VoiceDistortion); }},
    {"LOW-FI", [](uEditor& e) { e.showFXMenu(section::LowFi); }},
    {"ENV 1", [](uEditor& e) { e.showFreeMenu(section::FreeEnvelopes, 0); }},
    {"ENV 2", [](uEditor& e) { e.showFreeMenu(section::FreeEnvelopes, 1); }},
    {"LFO 1", [](uEditor& e) { e.showFreeMenu(section::FreeLfos, 0); }},
    {"LFO 2", [](uEditor& e) { e.showFreeMenu(section::FreeLfos, 1); }},
    {"DELAY", [](uEditor& e) { e.showFXMenu(section::Delay); }},
    {"REVERB", [](uEditor& e) { e.showFXMenu(section::Reverb); }},
    {"MODULATION FX", [](uEditor& e) { e.showFXMenu(section::ModFX); }},
    {"DISTORT FX", [](uEditor& e) { e.showFXMenu(section::DistortFX); }},
    {"GATER", [](uEditor& e) { e.showGaterMenu(); }},
    {"OSC PATH", [](uEditor& e) { e.showPathMenu(section::OscPath, -1); }},
    {"FX PATH", [](uEditor& e) { e.showPathMenu(section::FXPath, -1); }},
    {"CMD (arpeggiator page)", [](uEditor& e) { e.showArpMenu(-1, -1, false); }},
    {"CMD (wave page)", [](uEditor& e) { e.showWaveMenu(-1); }},
    {"settings (top bar)", [](uEditor& e) { e.showControlMenu(); }},
};
static_assert(std::size(MENU_BUTTONS) == kMenuButtonCount, "one row per main-screen button");

} // namespace

void uEditor::showButtonMenu(int row) {
    if (row >= 0 && row < kMenuButtonCount) MENU_BUTTONS[row].open(*this);
}

bool uEditor::canShowCommandMenu() const {
    return frame && getEngine();
}

void uEditor::runSectionMenu(CommandMenu& menu, int undo) {
    menu.popup(frame, [this, undo](const CommandMenu::Choice& c) {
        runAsking([this, undo, isUndo = c.undo, action = c.action, picked = c.picked()] {
            // Every outcome but "Undo", a dismissed menu included, first keeps a snapshot.
            if (!isUndo) setSectionUndo(undo);
            // A section command moves many parameters at once: each is told to the host as one
            // edit, then the host re-reads them all.
            if (action) hostDisplayIfOthersMoved(editsTold(action), -1);
            finishCommandMenu(picked);
        });
    });
}

void uEditor::finishCommandMenu(bool picked) {
    // A command may have moved anything on the screen. A dismissed menu moved nothing, and
    // repainting and refreshing the whole editor would stall the host's idle call for nothing.
    if (!picked) return;
    if (frame) {
        frame->setDirty(true);
        frame->invalidRect(frame->getViewSize());
        frame->setDirty(false);
    }
    resume();
}

void uEditor::addPasteEntry(CommandMenu& menu, const std::string& title, int s) {
    menu.add((sectionModel.hasClip(s) ? "" : "-G") + title, [this, s] { pasteSection(s); });
}

void uEditor::addUndoEntry(CommandMenu& menu, int s) {
    menu.addUndo(getSectionUndoLevel(s) >= 0, [this, s] { undoSection(s); });
}

void uEditor::showOscMenu(int osc) {
    if (!canShowCommandMenu() || (osc != 0 && osc != 1)) return;
    const int own = section::OSC_SECTIONS[osc], other = section::OSC_SECTIONS[1 - osc];
    const int env = section::OSC_ENV_SECTIONS[osc], otherEnv = section::OSC_ENV_SECTIONS[1 - osc];
    const int xy = section::OSC_XY_SECTIONS[osc], otherXY = section::OSC_XY_SECTIONS[1 - osc];
    const int all = section::AllOscillators;
    auto reset = [this](int s) { return [this, s] { resetSection(s); }; };
    auto orig = [this](int s) { return [this, s] { setSectionToOrig(s); }; };
    auto random = [this](int s) { return [this, s] { randomizeSection(s); }; };
    auto copyTo = [this](int a, int b) { return [this, a, b] { copySections(a, b); }; };
    auto swap = [this](int a, int b) { return [this, a, b] { swapSections(a, b); }; };

    CommandMenu m;
    m.add(osc == 0 ? "-GOscillator 1 Command Menu" : "-GOscillator 2 Command Menu");
    m.add("-");
    m.add("Reset Oscillator", reset(own));
    m.add("Reset Oscillator Envelope", reset(env));
    m.add("Reset Oscillator ZEK / XY", reset(xy));
    m.add("Reset All Oscillators", reset(all));
    m.add("-");
    m.add("Reset Oscillator to Original Settings", orig(own));
    m.add("Reset Oscillator Envelope to Original Settings", orig(env));
    m.add("Reset Oscillator ZEK / XY Settings to Original Settings", orig(xy));
    m.add("Reset All Oscillators to their Original Settings", orig(all));
    m.add("-");
    m.add("Copy To Other Oscillator", copyTo(own, other));
    m.add("Copy Oscillator Envelope To Other Oscillator", copyTo(env, otherEnv));
    m.add("Copy Oscillator ZEK / XY To Other Oscillator", copyTo(xy, otherXY));
    m.add("Copy All Oscillators", [this, all] { copySection(all); });
    addPasteEntry(m, "Paste Oscillators", all);
    m.add("-");
    m.add("Swap Oscillators", swap(own, other));
    m.add("Swap Oscillator Envelopes", swap(env, otherEnv));
    m.add("Swap Oscillator ZEK / XYs", swap(xy, otherXY));
    m.add("-");
    m.add("Randomize Oscillator", random(own));
    m.add("Randomize Oscillator Envelope", random(env));
    m.add("Randomize Oscillator ZEK / XY", random(xy));
    m.add("Randomize All Oscillators", random(all));
    m.add("-");
    addUndoEntry(m, all);
    runSectionMenu(m, all);
}

void uEditor::showFilterMenu() {
    if (!canShowCommandMenu()) return;
    const int parts[4] = {section::Filter, section::MainFilter, section::FilterEnvelope,
                          section::HighPassFilter};
    const char* names[4] = {"Filter", "Main Filter", "Filter Envelope", "HP Filter"};
    CommandMenu m;
    m.add("-GFilter Command Menu");
    m.add("-");
    m.add("Clear Filter", [this] {
        resetSection(section::Filter);
        getEngine()->setSteppedValue(tag::FilterType, 0); // "Bypass"
    });
    for (int i = 0; i < 4; ++i)
        m.add(std::string("Reset ") + names[i], [this, s = parts[i]] { resetSection(s); });
    m.add("-");
    for (int i = 0; i < 4; ++i)
        m.add(std::string("Reset ") + names[i] + " to Original Settings",
              [this, s = parts[i]] { setSectionToOrig(s); });
    m.add("-");
    m.add("Copy Filter", [this] { copySection(section::Filter); });
    addPasteEntry(m, "Paste Filter", section::Filter);
    m.add("-");
    for (int i = 0; i < 4; ++i)
        m.add(std::string("Randomize ") + names[i], [this, s = parts[i]] { randomizeSection(s); });
    m.add("-");
    addUndoEntry(m, section::Filter);
    runSectionMenu(m, section::Filter);
}

void uEditor::showAmpMenu() {
    if (!canShowCommandMenu()) return;
    const int amp = section::Amp, env = section::AmpEnvelope;
    CommandMenu m;
    m.add("-GAmp Command Menu");
    m.add("-");
    m.add("Reset Amp", [this, amp] { resetSection(amp); });
    m.add("Reset Amp Envelope", [this, env] { resetSection(env); });
    m.add("Reset Amp to Original Settings", [this, amp] { setSectionToOrig(amp); });
    m.add("Reset Amp Envelope to Original Settings", [this, env] { setSectionToOrig(env); });
    m.add("Copy Amp", [this, amp] { copySection(amp); });
    addPasteEntry(m, "Paste Amp", amp);
    m.add("Randomize Amp", [this, amp] { randomizeSection(amp); });
    m.add("Randomize Amp Envelope", [this, env] { randomizeSection(env); });
    m.add("-");
    addUndoEntry(m, amp);
    runSectionMenu(m, amp);
}

void uEditor::showPlayMenu() {
    if (!canShowCommandMenu()) return;
    const int s = section::Play;
    CommandMenu m;
    m.add("-GPlay Mode Command Menu");
    m.add("-");
    m.add("Reset Play Mode", [this, s] { resetSection(s); });
    m.add("Reset Play Mode to Original Settings", [this, s] { setSectionToOrig(s); });
    m.add("Copy Play Mode", [this, s] { copySection(s); });
    addPasteEntry(m, "Paste Play Mode", s);
    m.add("Randomize Play Mode", [this, s] { randomizeSection(s); });
    m.add("-");
    addUndoEntry(m, s);
    runSectionMenu(m, s);
}

void uEditor::showFXMenu(int s) {
    if (!canShowCommandMenu()) return;
    const FXMenuEntry* fx = nullptr;
    for (const FXMenuEntry& e : FX_MENUS)
        if (e.section == s) fx = &e;
    if (!fx) return;
    const std::string name = fx->name;
    const int onTag = fx->onTag;
    APlugin* engine = getEngine();
    CommandMenu m;
    m.add("-G" + name + " Command Menu");
    m.add("-");
    m.add("Set " + name + " Off", [engine, onTag] { engine->setOff(onTag); });
    m.add("Set " + name + " On", [engine, onTag] { engine->setOn(onTag); });
    m.add("Reset " + name, [this, engine, s, onTag] {
        resetSection(s);
        engine->setOn(onTag);
    });
    m.add("Reset " + name + " to Original Settings", [this, s] { setSectionToOrig(s); });
    m.add("Copy " + name, [this, s] { copySection(s); });
    addPasteEntry(m, "Paste " + name, s);
    m.add("Randomize  " + name, [this, engine, s, onTag] {
        randomizeSection(s);
        engine->setOn(onTag);
    });
    m.add("-");
    addUndoEntry(m, s);
    runSectionMenu(m, s);
}
