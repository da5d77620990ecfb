// The editor's named controls: the ones that carry an action of their own, a caption the idle
// pass relights, or a place in a view container. The layout builders fill them at opening
// through the factory; closing empties the set. Host user-interface thread only.
//
// How a layout builder uses it: make every control through the uEditor factory (the editor's
// `buildingScreen` tells which screen it belongs to), keep the ones named here in their
// member, list the views a screen shows in its `*Views` array in drawing order (the top bar
// and the five containers are added before them), put a container's content in that
// container's arrays only, and give fixed-name views their hover name (setHoverName).
// Controls with a parameter tag need no member: the registry finds them by tag and screen.
#pragma once

class TKnob;
class TOnOff;
class TRadioButton;
class THSlider;
class TVSlider;
class TSlider;
class TOptionMenu;
class TMenuButton;
class TReadout;
class TLabel;
class TBitmap;
class TArpScreen;
class TWaveDisplay;
class TXYScreen;
namespace VSTGUI {
class CBitmap;
class CView;
class CControl;
class CKickButton;
} // namespace VSTGUI

namespace edlayout {
// Screens whose controls come in twins: index 0 the main screen, 1 the easy screen.
constexpr int kScreens = 2;
constexpr int kPresetColumns = 8; // 32 presets each
constexpr int kSectionMenuButtons = 10;
constexpr int kFilterGroupMenus = 7;
constexpr int kSourceGroupMenus = 5;
constexpr int kWavePresetMenus = 10; // the wave's main preset menu, then its nine group menus
constexpr int kOscLabels = 22;       // LFO 0..7, amplitude envelope 8..14, pitch envelope 15..21
constexpr int kOscillators = 2;
constexpr int kPads = 2;          // the XY pads
constexpr int kXYRecordModes = 3; // live, record, replay
constexpr int kOscPages = 3;      // LFO, amplitude envelope, pitch envelope
constexpr int kOscPageKnobs = 6;
constexpr int kOscKnobs = kOscPages * kOscPageKnobs;
constexpr int kEQLabels = 15;
constexpr int kEQKnobs = 11;
constexpr int kDistortKnobs = 7;
constexpr int kArpKnobs = 7;
constexpr int kArpLights = 16;
constexpr int kPageViews = 96; // fixed views of one multi-view page, in adding order
constexpr int kArpSeqViews = 8;
constexpr int kWaveViews = 8;
constexpr int kLookLabels = 12;
constexpr int kLookMenus = 3;
constexpr int kMainViews = 640; // the main screen's fixed views in adding order
constexpr int kEasyViews = 320;
constexpr int kBackViews = 64;
constexpr int kTopViews = 32;

// Sections whose labels and menus are greyed while they are off.
enum Look {
    kLookHighPass,
    kLookWaveshaper,
    kLookLowFi,
    kLookVoiceDistort,
    kLookDistortFX,
    kLookModFX,
    kLookDelay,
    kLookReverb,
    kLookGater,
    kLookCount
};
} // namespace edlayout

struct uEditorControlSet {
    using CView = VSTGUI::CView;
    using CControl = VSTGUI::CControl;
    using CKickButton = VSTGUI::CKickButton;

    // Top bar, shown by the main and the easy screen.
    TOptionMenu* presetMenu = nullptr;
    TOptionMenu* folderMenu = nullptr;
    TOptionMenu* presetColumnMenus[edlayout::kPresetColumns] = {};
    TOptionMenu* ecsMenu = nullptr;
    CKickButton* previewButton = nullptr;
    CKickButton* origButton = nullptr;
    CKickButton* editButton = nullptr;
    CKickButton* helpButton = nullptr;
    CKickButton* easyButton = nullptr;
    CKickButton* backButton = nullptr;
    TMenuButton* settingsButton = nullptr;
    TBitmap* editedIndicator = nullptr;         // shows whether the sound was edited
    VSTGUI::CBitmap* indicatorPictures[2] = {}; // 0 as loaded, 1 edited
    TReadout* parameterName = nullptr;
    TReadout* parameterValue = nullptr;
    CView* topViews[edlayout::kTopViews] = {}; // further top-bar views in adding order

    // Whole screens: the views added after the containers and the top bar, in drawing order.
    CView* mainViews[edlayout::kMainViews] = {};
    CView* easyViews[edlayout::kEasyViews] = {};
    CView* backViews[edlayout::kBackViews] = {};

    // Radio groups and their twins.
    TRadioButton* oscPageRadios[edlayout::kOscillators][edlayout::kOscPages] = {};
    TRadioButton* xyModeRadios[edlayout::kScreens][edlayout::kPads][edlayout::kXYRecordModes] =
        {};                                             // screen, pad, live/rec/replay
    TRadioButton* eqRadios[edlayout::kScreens][2] = {}; // screen, pre/post
    TRadioButton* pageRadios[5] = {};
    TRadioButton* arpSeqRadios[2] = {};
    TRadioButton* userWaveRadios[2] = {};
    TRadioButton* waveDrawRadios[3] = {};
    TRadioButton* waveEditRadios[2][2] = {}; // wave, waveform/additive

    // Menus recognised by identity (those with a parameter tag are recognised by the tag).
    TOptionMenu* playLockMenus[edlayout::kScreens] = {};
    TOptionMenu* arpLockMenu = nullptr;
    TOptionMenu* filterGroupMenus[edlayout::kScreens][edlayout::kFilterGroupMenus] = {};
    TOptionMenu* sourceGroupMenus[edlayout::kSourceGroupMenus] = {};
    TOptionMenu* wavePresetMenus[2][edlayout::kWavePresetMenus] = {};
    TOptionMenu* eqTypeMenus[2] = {}; // the EQ view's two "TYPE" menus

    // Displays (tag 9999, not registered) and the ribbon.
    TXYScreen* xyDisplays[edlayout::kScreens][2] = {};
    CView* eqDisplays[edlayout::kScreens] = {};
    CView* gateDisplays[edlayout::kScreens][2] = {};
    TArpScreen* arpGrid = nullptr;
    CView* modMatrixDisplay = nullptr;
    TWaveDisplay* waveDisplay = nullptr;
    CView* pathDisplays[2] = {};
    TSlider* ribbon = nullptr;

    // User-wave buttons.
    CKickButton* waveUndoButton = nullptr;
    CKickButton* waveLoadButton = nullptr;
    CKickButton* waveSaveButton = nullptr;
    CKickButton* waveCopyButton = nullptr;
    CKickButton* wavePasteButton = nullptr;
    CKickButton* waveClearButton = nullptr;
    CKickButton* waveApplyButton = nullptr;

    // Back side.
    CKickButton* backCloseButton = nullptr;
    TOnOff* keyboardSwitch = nullptr;
    TOnOff* midiPresetSwitch = nullptr;
    TOnOff* midiBankSwitch = nullptr;
    TOnOff* midiCaptureSwitch = nullptr;
    TOnOff* autoLimitSwitch = nullptr;
    TOptionMenu* screenSizeMenu = nullptr;
    TOptionMenu* midiChannelMenu = nullptr;
    TReadout* a4Readout = nullptr;
    TReadout* brickReadout = nullptr;
    TReadout* tuningReadout = nullptr;
    CKickButton* tuningResetButton = nullptr;

    // Oscillator modulation containers, one per oscillator.
    TLabel* oscModLabels[2][edlayout::kOscLabels] = {};
    TKnob* oscModKnobs[2][edlayout::kOscKnobs] = {};
    CView* oscPageControls[edlayout::kOscillators][edlayout::kOscPages] = {}; // the page's switch
    CView* oscLfoExtra[2] = {}; // one more control on the LFO page

    // EQ container, per EQ (0 pre, 1 post).
    TLabel* eqLabels[2][edlayout::kEQLabels] = {};
    TKnob* eqKnobs[2][edlayout::kEQKnobs] = {};
    TOptionMenu* eqModeMenus[2] = {};

    // Voice distortion container.
    TOptionMenu* distortVoiceMenu = nullptr;
    TKnob* distortVoiceKnobs[edlayout::kDistortKnobs] = {};       // tags 73..79
    TLabel* distortVoiceLabels[edlayout::kDistortKnobs + 1] = {}; // 0 the mix, 1..7 the knobs
    CControl* distortVoiceMix = nullptr;                          // tag 72

    // Multi view: each page's fixed views in adding order.
    CView* pageViews[5][edlayout::kPageViews] = {};
    // Arpeggiator page: the controls of the arpeggiator shown (A, B) and its step lights.
    TKnob* arpKnobs[2][edlayout::kArpKnobs] = {};
    CView* arpSeqViews[2][edlayout::kArpSeqViews] = {};
    TBitmap* arpLights[edlayout::kArpLights] = {};
    // Wave page: each user wave's own views (after its two edit-mode radios).
    CView* waveViews[2][edlayout::kWaveViews] = {};
    // FX page: the controls that come and go with the modes.
    TKnob* modFxKnobs[5] = {};
    CControl* modFxSync = nullptr;
    TLabel* modFxLabels[6] = {};
    CControl* distortFxControls[8] = {};
    TLabel* distortFxLabels[8] = {};

    // Labels and menus lit by their section's on switch, per screen.
    TLabel* lookLabels[edlayout::kLookCount][edlayout::kScreens][edlayout::kLookLabels] = {};
    TOptionMenu* lookMenus[edlayout::kLookCount][edlayout::kScreens][edlayout::kLookMenus] = {};
    // The "Bypass FX" switch and its label, shown only on the FX page.
    CControl* bypassFxSwitch = nullptr;
    TLabel* bypassFxLabel = nullptr;
    // The easy screen's third filter knob and its caption, re-tagged by the filter type.
    TKnob* easyFilterKnob = nullptr;
    TLabel* easyFilterLabel = nullptr;
    // The easy screen's pulsing pictures.
    TBitmap* pulses[5] = {};
};
