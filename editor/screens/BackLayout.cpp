// The back-side settings page: MIDI receive channel and switches, keyboard, auto limiter,
// screen size, A4 pitch, tuning file, brick filter and the version line, as a layout table
// built once per opening; and the page's two typed settings, each with the one formatter that
// both the page and every refresh use. Host user-interface thread.
#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "editor/TypedNumber.h"
#include "editor/screens/LayoutRows.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>

using namespace VSTGUI;
using namespace layout;

namespace {

constexpr int kSwitchPicture = 10044;
// The A4 pitch the engine tunes to: the "A4" preference when it lies in 10..10000 Hz.
constexpr int kA4Min = 10, kA4Max = 10000, kA4Default = 440;
// Brick filter frequencies that may be typed, in kHz; the parameter means 20 x 2^(12 v) Hz.
constexpr int kBrickMin = 10, kBrickMax = 40, kBrickDefault = 15;

const Row BACK_SIDE[] = {
    named(
        menu(uEditor::kNoTag, nullptr, 214, {414, 4, 3, 2}, 74, 13, MIDI_IN_CHANNEL_STR, 17, false),
        "MIDI Channel Menu"),
    named(onOff(uEditor::kNoTag, nullptr, 235, {432, -1, 0, 0}), "MIDI Preset"),
    named(onOff(uEditor::kNoTag, nullptr, 214, {452, -1, 0, 0}), "MIDI Bank"),
    named(onOff(uEditor::kNoTag, nullptr, 312, {472, -1, 0, 0}), "MIDI Capture"),
    named(onOff(uEditor::kNoTag, nullptr, 279, {492, -1, 0, 0}), "Keyboard Control"),
    named(onOff(uEditor::kNoTag, nullptr, 261, {512, -1, 0, 0}), "AutoLimiter"),
    named(menu(uEditor::kNoTag, nullptr, 214, {531, 4, 3, 2}, 74, 13, SCREEN_SIZE_STR, 4, false),
          "Screen Size"),
    named(readout("440 Hz", 141, {572, 3, 4, 2}, 74, 15, true), "A4 Readout"),
    named(kick(kSwitchPicture, nullptr, 487, {572, -1, 0, 0}), "Reset Tuning"),
    named(readout("Tuning", 303, {572, 3, 4, 2}, 142, 15, true), "Load Tuning"),
    onOff(tag::BrickFilterOn, nullptr, 223, {613, -2, 0, -2}),
    named(readout("60 KHz", 369, {612, 2, 2, 2}, 74, 15, true), "Brick Frequency"),
};
enum {
    kMidiChannel,
    kMidiPreset,
    kMidiBank,
    kMidiCapture,
    kKeyboard,
    kAutoLimit,
    kScreenSize,
    kA4,
    kTuningReset,
    kTuningName,
    kBrick,
    kBrickFrequency
};
const Coord VERSION_X = 140, VERSION_Y = 180, VERSION_W = 600, VERSION_H = 18;

// The whole number of an answer to a number question. False (and nothing changes) for
// Cancel, text that is no number, or a number beyond int; a number outside min..max gives
// `fallback`, as the page always did.
bool answeredNumber(const DialogAnswer& answer, const char* unit, int min, int max, int fallback,
                    int& number) {
    int n = 0;
    if (!answer.ok || !parseTypedInt(answer.text, unit, n)) return false;
    number = n < min || n > max ? fallback : n;
    return true;
}

// The number question, the field starting at `start`.
void askNumber(const char* prompt, const char* unit, const char* start) {
    std::string answer = start;
    inputBox(prompt, unit, answer);
}

} // namespace

std::string uEditor::formatA4Readout() {
    int a4 = loadIntFromPrefs("A4");
    if (a4 < kA4Min || a4 > kA4Max) a4 = kA4Default;
    return std::to_string(a4) + " Hz";
}

std::string uEditor::formatBrickReadout(float value) {
    // The small lift makes a typed whole number read back whole after the round trip through
    // the logarithm.
    const double khz = std::exp2(12.0 * std::clamp(value, 0.0f, 1.0f)) * 20.0 / 1000.0;
    return std::to_string(static_cast<int>(khz + 0.1)) + " KHz";
}

std::string uEditor::formatVersionLine() {
    APlugin* engine = getEngine();
    if (!engine) return "";
    const char* format = "VST2";
    char host[256] = {};
    if (engine->getHostProductString(host)) {
        std::string name(host);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        });
        // The maker's own host says in the record's first spare field which format wraps us.
        static const char* const WRAPPERS[5] = {"VST2", "VST3", "AAX", "AUv2", "AUv3"};
        const VstIntPtr kind = engine->getAeffect()->resvd1;
        if (name == "VM-LUMERA" && kind >= 1 && kind <= 4) format = WRAPPERS[kind];
    }
    const auto v = static_cast<uint32_t>(engine->getVendorVersion());
    return std::string("ZEK2 ") + format + " 64Bits, v" + std::to_string((v >> 16) & 0xff) + "." +
           std::to_string((v >> 8) & 0xff) + "." + std::to_string(v & 0xff) + "a";
}

void uEditor::createBackScreen() {
    APlugin* engine = getEngine();
    if (!engine) return;
    buildingScreen = 2;
    ViewList page{ui.backViews, edlayout::kBackViews};
    Builder b{*this, nullptr};
    // The page area under every other control: a click beside them closes the page. It draws
    // nothing, so the version line above it looks the same; the line takes no clicks (they reach
    // the page area) but the pointer resting on it finds it and shows its name.
    CBitmap* background = getSkinBitmap(skin::kMainBackground);
    const int w = background ? static_cast<int>(background->getWidth()) : getScaled(kMainWidth);
    const int h = background ? static_cast<int>(background->getHeight()) : getScaled(kMainHeight);
    createKickButtonArea(ui.backCloseButton, 0, 0, w, h);
    page.add(ui.backCloseButton);
    {
        const int x = b.sx(VERSION_X), y = b.sy(VERSION_Y);
        versionReadout = new TReadoutString(CRect(x, y, x + b.s(VERSION_W), y + b.s(VERSION_H)),
                                            this, formatVersionLine(), false, true, false);
        own(versionReadout);
        versionReadout->setMouseEnabled(false);
        setHoverName(versionReadout, "Version Readout");
        page.add(versionReadout);
    }

    Built made[std::size(BACK_SIDE)];
    b.build(BACK_SIDE, made);
    ui.midiChannelMenu = made[kMidiChannel].as<TOptionMenu>();
    ui.midiPresetSwitch = made[kMidiPreset].as<TOnOff>();
    ui.midiBankSwitch = made[kMidiBank].as<TOnOff>();
    ui.midiCaptureSwitch = made[kMidiCapture].as<TOnOff>();
    ui.keyboardSwitch = made[kKeyboard].as<TOnOff>();
    ui.autoLimitSwitch = made[kAutoLimit].as<TOnOff>();
    ui.screenSizeMenu = made[kScreenSize].as<TOptionMenu>();
    ui.tuningResetButton = made[kTuningReset].as<CKickButton>();
    ui.brickReadout = made[kBrickFrequency].as<TReadout>();
    ui.a4Readout = made[kA4].as<TReadout>();
    ui.tuningReadout = made[kTuningName].as<TReadout>();
    // Shown in the order of the page: the channel menu, the screen size, the five switches,
    // A4, the tuning, the brick filter.
    for (int i : {kMidiChannel, kScreenSize, kKeyboard, kMidiPreset, kMidiBank, kMidiCapture,
                  kAutoLimit, kA4, kTuningReset, kTuningName, kBrick, kBrickFrequency})
        page.add(made[i].view);
    buildingScreen = 0;
}

// What the page's own controls show; the parameters among them follow the registry.
void uEditor::refreshBackScreen() {
    APlugin* engine = getEngine();
    if (!engine) return;
    if (TOptionMenu* m = ui.midiChannelMenu) {
        const int channel = std::clamp(loadIntFromPrefs("MIDIChannel"), 0, 16);
        m->setString(MIDI_IN_CHANNEL_STR[channel]);
        m->setDirty(true);
    }
    if (TOptionMenu* m = ui.screenSizeMenu) {
        m->setString(SCREEN_SIZE_STR[getBig()]);
        m->setDirty(true);
    }
    if (ui.keyboardSwitch) ui.keyboardSwitch->setState(getKeyboardControl());
    const std::pair<TOnOff*, const char*> switches[] = {{ui.midiPresetSwitch, "MIDIPreset"},
                                                        {ui.midiBankSwitch, "MIDIBank"},
                                                        {ui.midiCaptureSwitch, "MIDICapture"},
                                                        {ui.autoLimitSwitch, "AutoLimit"}};
    for (const auto& [s, key] : switches)
        if (s) s->setState(getRegisterIsOn(key, true));
    if (TReadout* r = ui.a4Readout) {
        r->setString(formatA4Readout());
        r->setDirty(true);
    }
    if (TReadout* r = ui.tuningReadout) {
        r->setString(engine->getTuningName());
        r->setDirty(true);
    }
    if (TReadout* r = ui.brickReadout) {
        r->setString(formatBrickReadout(engine->getParameter(tag::BrickFilterFrequency)));
        r->setDirty(true);
    }
}

void uEditor::idleBackScreen() {
    APlugin* engine = getEngine();
    if (!engine) return;
    auto follow = [](TReadout* r, const std::string& text) {
        if (!r || r->getString() == text) return;
        r->setString(text);
        r->setDirty(true);
    };
    follow(ui.tuningReadout, engine->getTuningName());
    follow(ui.brickReadout, formatBrickReadout(engine->getParameter(tag::BrickFilterFrequency)));
}

// Both questions run beside the idle calls; the answer is applied when it comes (at once for
// a back end that answers at once, and then the result tells whether it changed anything).
bool uEditor::typeA4() {
    if (!getEngine()) return false;
    // Written by the answer, which may come after this call has returned.
    auto applied = std::make_shared<bool>(false);
    askBesideIdle([] { askNumber("A4 Tuning: 440 Hz Default", "Hz", "440"); },
                  [this, applied](const DialogAnswer& answer) {
                      APlugin* engine = getEngine();
                      int hz = 0;
                      if (!engine || !answeredNumber(answer, "Hz", kA4Min, kA4Max, kA4Default, hz))
                          return;
                      saveIntToPrefs("A4", hz);
                      engine->updateBaseNote();
                      if (TReadout* r = ui.a4Readout) {
                          r->setString(formatA4Readout());
                          r->setDirty(true);
                      }
                      *applied = true;
                  });
    return *applied;
}

bool uEditor::typeBrickFrequency() {
    if (!getEngine()) return false;
    // Written by the answer, which may come after this call has returned.
    auto applied = std::make_shared<bool>(false);
    askBesideIdle(
        [] { askNumber("Brick Filter Freq: 10 KHz - 40 KHz, 15 KHz Default", "KHz", "15"); },
        [this, applied](const DialogAnswer& answer) {
            APlugin* engine = getEngine();
            int khz = 0;
            if (!engine || !answeredNumber(answer, "KHz", kBrickMin, kBrickMax, kBrickDefault, khz))
                return;
            // 20 x 2^(12 v) Hz = khz kHz gives v = log2(50 khz) / 12.
            userEdit(tag::BrickFilterFrequency, static_cast<float>(std::log2(50.0 * khz) / 12.0));
            if (TReadout* r = ui.brickReadout) {
                r->setString(formatBrickReadout(engine->getParameter(tag::BrickFilterFrequency)));
                r->setDirty(true);
            }
            *applied = true;
        });
    return *applied;
}
