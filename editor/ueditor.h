// The synthesizer's one editor object. The engine creates it and registers it as the plug-in's
// editor; the host opens, idles and closes it from its user-interface thread. The engine may
// call in from its audio thread too: those calls only set atomic marks that the idle pass
// serves, so the frame and the controls are touched on the user-interface thread alone.
#pragma once

#include "controls/StyleTables.h"
#include "editor/AEffGUIEditor.h"
#include "editor/sections/SectionModel.h"
#include "gui/CBitmap.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class AudioEffect;
class APlugin;

// Skin bitmap ids at 100 percent; the picture at another size is id + 1000 x size index.
namespace skin {
constexpr int kMainBackground = 10000;
constexpr int kEasyBackground = 10001;
constexpr int kBackSideBackground = 10002;
constexpr int kOscModBackground = 10020;
constexpr int kEQBackground = 10021;
constexpr int kDistortVoiceBackground = 10022;
constexpr int kMultiViewBackground = 10023;
// The 48 pictures made at every opening, in the order they are made.
constexpr int kOpeningCount = 48;
extern const int OPENING_IDS[kOpeningCount];
// The multi view's background per page (page 0 is the multi-view background itself).
constexpr int kPageCount = 5;
inline constexpr int MID_SCREEN_BITMAPS[kPageCount] = {10023, 10024, 10025, 10026, 10027};
} // namespace skin

class uEditor : public AEffGUIEditor,
                public VSTGUI::IControlListener,
                public VSTGUI::IKeyboardHook {
public:
    // Size of the main screen at 100 percent, in pixels.
    static constexpr int kMainWidth = 1132;
    static constexpr int kMainHeight = 779;
    static constexpr int kNoTag = 9999;
    static constexpr int kMaxControls = 10000;

    explicit uEditor(AudioEffect* effect);
    ~uEditor() override;

    // Window life (host user-interface thread). A null parent opens the editor off-screen.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool getEditorFinishedOpening() const { return finishedOpening.load(); }

    // Engine to editor, from any thread: marks that the next idle pass serves.
    void resume();
    void setParameter(int tag, float value);
    void triggerOver();
    void turnPartialOff();
    void clearUndos();
    void setEditTag(int tag);

    // After a mode selector moved: swap the remembered values of the section's knobs.
    void updateDistortVoice(int oldStep, int newStep);
    void updateDistortFX(int oldStep, int newStep);
    void updateModFX(int oldStep, int newStep);
    void updateArpSteps();
    void updateShaperModeMenu(int mode);
    // Records an undo point of the wave display before a user wave changes.
    void addWaveUndo();

    // Program stepping through the built-in bank, at most one step per 300 ms.
    void changeProgramDelta(int delta, bool unused);
    int getPresetsInColumns() const { return 32; }
    void changeFoundProgramDelta(int) {}
    void changeFolderDelta(int, bool) {}

    // Keyboard hook: the arrow keys step programs while keyboard control is on.
    using AEffGUIEditor::onKeyDown;
    using AEffGUIEditor::onKeyUp;
    int32_t onKeyDown(const VstKeyCode& key, VSTGUI::CFrame* frame) override;
    int32_t onKeyUp(const VstKeyCode& key, VSTGUI::CFrame* frame) override;
    void valueChanged(VSTGUI::CControl* control) override;
    // The wheel at a point; nothing calls it, the host's wheel goes through the frame.
    using AEffGUIEditor::onWheel;
    bool onWheel(const VSTGUI::CPoint&, const float&, const VSTGUI::CButtonState&) { return false; }

    // Screen scale and preferences.
    int getBig() const { return screenSizeIndex < 0 || screenSizeIndex > 3 ? 0 : screenSizeIndex; }
    int getScreenSizeIndex() const { return getBig(); }
    float getScale() const { return SCALE[getBig()]; }
    int getScaled(int v, int c125 = 0, int c150 = 0, int c200 = 0) const;
    int getScaledBitmap(int id) const;
    static bool getRegValue(const std::string& key, bool def);
    static bool isValidTag(int tag) { return static_cast<unsigned>(tag) < 2048u; }
    int getScreenMode() const { return screenMode; }
    // The arpeggiator pattern (0 A, 1 B) the arpeggiator page shows; the audio thread reads it.
    int getSelectedArp() const { return selectedArp.load(std::memory_order_relaxed); }

    // Skin pictures of the current opening (null while closed or when missing).
    VSTGUI::CBitmap* getSkinBitmap(int id) const;
    VSTGUI::CBitmap* getPageBackground(int page) const;
    VSTGUI::CViewContainer* getOscModContainer(int osc) const { return oscModContainer[osc & 1]; }
    VSTGUI::CViewContainer* getEQContainer() const { return eqContainer; }
    VSTGUI::CViewContainer* getDistortVoiceContainer() const { return distortVoiceContainer; }
    VSTGUI::CViewContainer* getMultiViewContainer() const { return multiViewContainer; }
    // The editor's view of the switches read at construction.
    bool getKeyboardControl() const { return keyboardOn; }
    void setKeyboardControl(bool on) { keyboardOn = on; }

    // Control registry.
    bool addControl(VSTGUI::CControl* control, int kind);
    int getControlCount() const { return controlCount; }
    VSTGUI::CControl* getEditControl() const { return editControl; }

    // Screens and view containers.
    void showMainScreen();
    void showMainScreenControls();
    void showTop();
    void redrawOscModViewContainer();
    void redrawEQViewContainer();
    void redrawDistortVoiceViewContainer();
    void redrawMultitViewContainer();
    void createMainScreenControls();
    void createEasyScreenControls();
    void createBackScreen();
    void updatePresetMenu();
    void updateFolderMenu() {}
    void setMultiViewPage(int page);

    // Tear-down.
    void createBitmaps();
    void removeBitmaps();
    void removeControls();
    void removeBitmap(VSTGUI::CBitmap*& bitmap);
    template <class T> void removeControl(T*& control) {
        if (!control) return;
        control->forget();
        control = nullptr;
    }

    // What the own controls ask of the editor: the preference switches they follow, the
    // source of a drag onto the modulation matrix, a knob's or slider's command menu, the
    // global settings menu and the section menus of the menu buttons.
    bool getAnimation() const { return animationOn; }
    void setAnimation(bool on) { animationOn = on; }
    bool getDragAndDrop() const { return dragAndDropOn; }
    void setDropTag(int tag);
    void releasedDropDial();
    int getDropTag() const { return dropTag; }
    void showMIDIMenu(VSTGUI::CControl* control, bool slider);
    void showControlMenu();
    void showOscMenu(int osc);
    void showFilterMenu();
    void showAmpMenu();
    void showPlayMenu();
    void showMainLFOMenu();
    void showEQMenu();
    void showFXMenu(int section);
    void showFreeMenu(int section, int page);
    void showGaterMenu();
    void showPathMenu(int section, int unit);
    void showArpMenu(int step, int row, bool grid);
    void showWaveMenu(int osc);

    // Pending marks, for the tests.
    bool isTagMarked(int tag) const;
    bool isResumePending() const { return resumePending.load(); }
    int getOverloadLevel() const { return overloadLevel.load(); }

    // Raised by the engine after it replaced the sound; the idle pass shows the screen again.
    std::atomic<unsigned char> screenRefreshPending{0};

private:
    APlugin* getEngine() const;
    void programStep(int delta);
    void doResume();
    void serveMarks();
    void serveParameter(int tag);
    void clearRegistry();
    // Releases the frame, the containers, the controls and the pictures of this opening.
    void releaseOpening();
    void markTag(int tag);
    void raiseRedrawForTag(int tag);

    // Switches read once from the preferences.
    bool keyboardOn = true;
    bool autoLimitOn = true;
    bool dragAndDropOn = true;
    bool toolTipOn = true;
    bool animationOn = true;
    bool xyModOn = true;

    int screenSizeIndex = 0;
    int screenMode = 0;

    VSTGUI::CBitmap* skinBitmaps[skin::kOpeningCount] = {};
    // Pages 1..4 of the multi view: made once per opening, reused by every refill.
    VSTGUI::CBitmap* pageBitmaps[skin::kPageCount] = {};
    VSTGUI::CViewContainer* oscModContainer[2] = {};
    VSTGUI::CViewContainer* eqContainer = nullptr;
    VSTGUI::CViewContainer* distortVoiceContainer = nullptr;
    VSTGUI::CViewContainer* multiViewContainer = nullptr;

    int controlCount = 0;
    VSTGUI::CControl* controls[kMaxControls] = {};
    int controlKinds[kMaxControls] = {};
    int tagControlIndex[2048] = {};
    VSTGUI::CControl* editControl = nullptr;

    // User-interface flags.
    bool busy = false;
    bool showingScreen = false;
    bool creatingControls = false;
    bool mainScreenGuard = false;
    bool skipOscMod = false, skipEQ = false, skipDistortVoice = false, skipMultiView = false;
    bool editStateShown = false;
    int oscPage[2] = {0, 0};
    int selectedEQ = 0;
    int multiViewPage = 0;
    int waveEditMode[2] = {0, 0};
    int lastFilterType = -1, lastPortMode = -1, lastUnisonMode = -1;
    int dropTag = -1;
    float dropValue = 0.0f;
    bool dropReleased = true;
    uint32_t idleStamp = 0;
    uint32_t programStepStamp = 0;
    uint32_t lastProgramStepAttempt = 0;
    std::string hoverName, hoverValue, lastTooltip, lastReadout;

    // Marks set from any thread, served by the idle pass on the user-interface thread.
    std::atomic<uint64_t> dirtyTags[2048 / 64] = {};
    std::atomic<bool> resumePending{false};
    std::atomic<bool> redrawOscMod{false}, redrawEQ{false}, redrawDistortVoice{false},
        redrawMultiView{false}, xyModesChanged{false};
    std::atomic<bool> partialOffPending{false};
    std::atomic<bool> clearUndosPending{false};
    std::atomic<int> overloadLevel{0};
    // Read by the audio thread before it marks anything.
    std::atomic<bool> finishedOpening{false};
    std::atomic<int> selectedArp{0};
    std::atomic<std::thread::id> uiThread{};

public:
    // ---- Editor core: control factory, registry, value roads, refresh, containers, actions --

public:
    // ---- Screens: main screen layout, Easy screen, back-side settings page ------------------

public:
    // ---- Menus and sections: preset, context, settings and section menus, section model -----
    // The section model (user-interface thread). A pending request of the engine to clear the
    // stacks is served before any of these reads or changes them.
    void setSectionTags();
    void setSectionUndo(int section);
    void undoSection(int section);
    void copySection(int section);
    void pasteSection(int section);
    void resetSection(int section);
    void setSectionToOrig(int section);
    void copySections(int from, int to);
    void swapSections(int a, int b);
    void randomizeSection(int section);
    int getSectionUndoLevel(int section);
    bool getSectionHasClip(int section) const { return sectionModel.hasClip(section); }
    void setSectionHasClip(int section, bool on) { sectionModel.setHasClip(section, on); }
    const SectionModel& getSectionModel() const { return sectionModel; }

private:
    void serveClearUndos();
    SectionModel sectionModel;

public:
    // ---- Displays: EQ curve, gate pattern, matrix, path, arpeggiator grid, XY pads, waves ---
};
