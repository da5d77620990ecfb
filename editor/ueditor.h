// The synthesizer's one editor object. The plug-in's entry point creates it for its engine; it
// registers itself as the plug-in's editor and links itself to the engine, and the host opens,
// idles and closes it from its user-interface thread. The engine calls in through its link from
// its audio thread too: those calls only set atomic marks that the idle pass serves, so the
// frame and the controls are touched on the user-interface thread alone.
#pragma once

#include "controls/ControlHost.h"
#include "controls/StyleTables.h"
#include "editor/AEffGUIEditor.h"
#include "editor/sections/SectionModel.h"
#include "editor/uEditorControlSet.h"
#include "engine/EditorLink.h"
#include "gui/CBitmap.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "platform/dialogs.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class AudioEffect;
class APlugin;
class CommandMenu;
class TOptionMenu;
namespace zekfiles {
struct DisplayPresetKind;
}

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
                public VSTGUI::IKeyboardHook,
                public ControlEditor,
                public EditorLink {
public:
    // Size of the main screen at 100 percent, in pixels.
    static constexpr int kMainWidth = 1132;
    static constexpr int kMainHeight = 779;
    static constexpr int kMaxControls = 10000;

    explicit uEditor(AudioEffect* effect);
    ~uEditor() override;

    // Window life (host user-interface thread). A null parent opens the editor off-screen.
    bool open(void* parentWindow) override;
    void close() override;
    void closeRequested() override;
    void idle() override;
    bool getEditorFinishedOpening() const override { return finishedOpening.load(); }

    // The controls' edit brackets are the host's (AEffGUIEditor), and their sound the engine.
    ControlSound* getSound() override { return sound.get(); }
    void beginEdit(int32_t tag) override { AEffGUIEditor::beginEdit(tag); }
    void endEdit(int32_t tag) override { AEffGUIEditor::endEdit(tag); }
    bool isEditOpen(int32_t tag) const override { return AEffGUIEditor::isEditOpen(tag); }
    void keepEditPastRelease(int32_t tag) override { AEffGUIEditor::keepEditPastRelease(tag); }
    void requestHostDisplay() override { AEffGUIEditor::requestHostDisplay(); }

    // Engine to editor, from any thread: marks that the next idle pass serves.
    void resume() override;
    void setParameter(int tag, float value) override;
    void triggerOver() override;
    void requestScreenRefresh() override { screenRefreshPending = 1; }
    void turnPartialOff() override;
    void clearUndos() override;
    void setEditTag(int tag) override;

    // After a mode selector moved: swap the remembered values of the section's knobs.
    void updateDistortVoice(int oldStep, int newStep) override;
    void updateDistortFX(int oldStep, int newStep) override;
    void updateModFX(int oldStep, int newStep) override;
    void updateArpSteps() override;
    void updateShaperModeMenu(int mode) override;
    void updatePresetMenu();
    // Records an undo point of the wave display before a user wave changes.
    void addWaveUndo() override;

    // Program stepping through the built-in bank, at most one step per 300 ms.
    void changeProgramDelta(int delta, bool unused) override;
    int getPresetsInColumns() const { return 32; }
    void changeFoundProgramDelta(int) {}
    void changeFolderDelta(int, bool) {}

    // Keyboard hook: the arrow keys step programs while keyboard control is on.
    using AEffGUIEditor::onKeyDown;
    using AEffGUIEditor::onKeyUp;
    int32_t onKeyDown(const VstKeyCode& key, VSTGUI::CFrame* frame) override;
    int32_t onKeyUp(const VstKeyCode& key, VSTGUI::CFrame* frame) override;
    uint32_t getUsedKeys() const override;
    void valueChanged(VSTGUI::CControl* control) override;
    // The wheel at a point; nothing calls it, the host's wheel goes through the frame.
    using AEffGUIEditor::onWheel;
    bool onWheel(const VSTGUI::CPoint&, const float&, const VSTGUI::CButtonState&) { return false; }

    // Screen scale and preferences.
    int getBig() const override {
        return screenSizeIndex < 0 || screenSizeIndex > 3 ? 0 : screenSizeIndex;
    }
    int getScreenSizeIndex() const { return getBig(); }
    float getScale() const { return SCALE[getBig()]; }
    int getScaled(int v, int c125 = 0, int c150 = 0, int c200 = 0) const;
    int getScaledBitmap(int id) const;
    static bool getRegValue(const std::string& key, bool def);
    static bool isValidTag(int tag) { return static_cast<unsigned>(tag) < 2048u; }
    int getScreenMode() const { return screenMode; }
    // The arpeggiator pattern (0 A, 1 B) the arpeggiator page shows: the engine keeps it, as
    // its key entry writes into it.
    int getSelectedArp() const;
    void setSelectedArp(int pattern);

    // Skin pictures of the current opening (null while closed or when missing).
    VSTGUI::CBitmap* getSkinBitmap(int id) const override;
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
    bool getAnimation() const override { return animationOn; }
    void setAnimation(bool on) { animationOn = on; }
    bool getDragAndDrop() const override { return dragAndDropOn; }
    void setDropTag(int tag) override;
    void releasedDropDial() override;
    int getDropTag() const { return dropTag; }
    void showMIDIMenu(VSTGUI::CControl* control, bool slider) override;
    void showControlMenu();
    void showOscMenu(int osc);
    void showFilterMenu();
    void showAmpMenu();
    void showPlayMenu();
    void showMainLFOMenu();
    void showEQMenu() override;
    void showFXMenu(int section);
    void showFreeMenu(int section, int page);
    void showGaterMenu() override;
    void showPathMenu(int section, int unit) override;
    void showArpMenu(int row, int step, bool onCell) override;
    void showWaveMenu(int osc) override;
    void showButtonMenu(int row) override;

    // ---- What the host hears of the user's edits (user-interface thread) ------------------
    // One user edit: runs `write` and tells the host of every parameter it moved as one
    // bracketed edit each (beginEdit, automate, endEdit), nothing of a write that moved
    // nothing. The engine's own automated writes inside `write` are held back meanwhile, so
    // the host hears each parameter once and inside its brackets; a gesture already open for
    // a tag takes its edit in. Nested calls are told by the outermost. `alwaysTold`, when a
    // parameter, is told whether it moved or not. Answers the tags told.
    std::vector<int> editsTold(const std::function<void()>& write, int alwaysTold = -1);
    // The same for a command that replaces the whole sound (the compare, the init patch): each
    // value it moved is told as it stands, bracketed, and written no more.
    std::vector<int> soundTold(const std::function<void()>& replace);
    // A stroke over a display (a pen over a wave, a recorded XY gesture): its press notes
    // the values of `tags`, its release tells the host each of them that moved meanwhile,
    // bracketed, as it stands.
    void beginStroke(const std::vector<int>& tags) override;
    void endStroke() override;
    // The same for one parameter's edit (a tag outside the parameters only writes).
    void userEdit(int tag, const std::function<void()>& write) override {
        if (!isValidTag(tag) || !getEffect())
            write();
        else
            editsTold(write);
    }
    // The same for a value the user chose.
    void userEdit(int tag, float value);
    // An updateDisplay for the host when a tag other than `except` (a single edit's own) moved.
    void hostDisplayIfOthersMoved(const std::vector<int>& moved, int except);
    // Typed entry of a parameter's value. The question runs beside the idle calls (a dialog
    // program watched from idle); the answer, when it comes, is written as one user edit.
    // Questions asked while one is open wait their turn.
    void typeValue(int tag) override;
    // A question or message open or waiting its turn.
    bool isTypedEntryOpen() const { return isDialogBusy(); }
    // The question that `ask` would put (it runs with the dialogs answering Cancel), asked
    // beside the idle calls; `answered` runs on the user-interface thread when the answer
    // comes, at once for a back end that answers at once. False when `ask` asked nothing.
    using Answered = std::function<void(const DialogAnswer&)>;
    bool askBesideIdle(const std::function<void()>& ask, Answered answered);
    // Runs `ask` again with its first question answered by `answer` (the rest cancelled).
    void withAnswer(const DialogAnswer& answer, const std::function<void()>& ask);
    // Runs `command`, what a menu or a button does, with its dialogs (text entries, file
    // choosers, confirmations) asked beside the idle calls. A run that meets a question it has
    // no answer for, while the answer does not come at once, takes Cancel (which changes
    // nothing) and its undo snapshot is taken back; the question stays open, and its answer is
    // added to those `command` runs with next time. A run that asks nothing new has run with
    // all its answers, once, as one edit, and only then shows the messages it has to tell
    // (they wait for nothing). Cancel at any question ends it: the command runs once more, to
    // its Cancel, as if the question had been cancelled at once. `command` is kept until then:
    // it holds values, never a pop-up or a view; closing the window drops it.
    void runAsking(std::function<void()> command);

    // Pending marks, for the tests.
    bool isTagMarked(int tag) const;
    bool isResumePending() const { return resumePending.load(); }
    int getOverloadLevel() const { return overloadLevel.load(); }

    // Raised by the engine after it replaced the sound; the idle pass shows the screen again.
    std::atomic<unsigned char> screenRefreshPending{0};

private:
    APlugin* getEngine() const;
    // What the controls see of the engine; null without one.
    std::unique_ptr<ControlSound> sound;
    void programStep(int delta);
    void doResume();
    void serveMarks();
    void serveParameter(int tag);
    void clearRegistry();
    // Releases the frame, the containers, the controls and the pictures of this opening.
    void releaseOpening();
    void markTag(int tag);
    void raiseRedrawForTag(int tag);
    // Whether a MIDI controller drives the tag (any thread).
    bool isMidiLearned(int tag) const;
    // The dialogs beside the idle calls: one open, the others waiting their turn; each with
    // what runs when its answer comes (nothing for a message). Dropped with the window.
    struct Question {
        DialogRequest request;
        Answered answered;
    };
    void askDialog(Question question);
    void startDialog();
    void serveDialog();
    void cancelDialogs();
    bool isDialogBusy() const { return openDialog != nullptr || !dialogQueue.empty(); }
    // Tells in the editor's own window what no dialog program could show.
    void tellUnshown(const DialogRequest& request);
    struct AskingCommand {
        std::function<void()> run;
        std::vector<DialogAnswer> answers;
        bool cancelled = false;
    };
    void askingRound(const std::shared_ptr<AskingCommand>& command);
    std::unique_ptr<PendingDialog> openDialog;
    Question openQuestion;
    std::deque<Question> dialogQueue;
    // Set while editsTold runs its write: inner edits leave the telling to it.
    bool gatheringEdits = false;
    // Runs `write` and tells each value it moved; `writeAgain` tells a value by writing it
    // again through the host's automated write, else as it stands.
    std::vector<int> gatherEdits(const std::function<void()>& write, int alwaysTold,
                                 bool writeAgain);
    void tellEach(const std::vector<int>& tags, bool writeAgain);
    std::vector<float> valuesNow() const;
    // The tags whose values differ from `before`, and `alwaysTold`.
    std::vector<int> movedSince(const std::vector<float>& before, int alwaysTold) const;
    // A program chosen in the editor: `select` runs at once, and each value it moved is told
    // once the render has applied it (or at once, `now`, as the values stand).
    void programTold(const std::function<void()>& select);
    void tellChosenProgram(bool now);
    // The values before the programs chosen since the last told; empty when none waits.
    std::vector<float> chosenFrom;
    // Raised by the engine each time it applies a program.
    std::atomic<bool> programApplied{false};
    // The values a stroke's press noted, by tag.
    std::vector<std::pair<int, float>> strokeValues;
    // While a command runs: whether it has met a question still unanswered (such a run is
    // cancelled and runs again with the answer), and whether a question of it was cancelled.
    // Either way the command does nothing, and tells the host nothing of its own.
    const bool* runAwaitsAnswer = nullptr;
    bool runCancelled = false;

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
    // The bank slot whose name the preset menu shows: a host that writes the name's values
    // moves it without a refresh.
    int presetShown = -1;
    int oscPage[2] = {0, 0};
    int selectedEQ = 0;
    int multiViewPage = 0;
    int waveEditMode[2] = {0, 0};
    int dropTag = -1;
    float dropValue = 0.0f;
    bool dropReleased = true;
    uint32_t idleStamp = 0;
    // The host closed the editor from inside one of its calls; the close follows its return.
    bool closePending = false;
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
    std::atomic<std::thread::id> uiThread{};

public:
    // ---- Editor core: control factory, registry, value roads, refresh, containers, actions --
    // Control kinds of the registry.
    static constexpr int kKindButton = 0; // kick buttons, radios, read-outs, menu buttons
    static constexpr int kKindKnob = 1;
    static constexpr int kKindMenu = 2;
    static constexpr int kKindOnOff = 3;
    static constexpr int kKindSlider = 4;
    static constexpr int kKindLabel = 5;
    // Displays that hold their parameter's value (the gate pattern rows): every refresh and
    // push sets it, as for a knob.
    static constexpr int kKindDisplay = 6;
    // Which screen the layout builders are making (0 main, 1 easy, 2 back side); every
    // control registered meanwhile belongs to it.
    int buildingScreen = 0;
    // An editor opened off-screen (no parent window) is open too: it takes the engine's pushes.
    bool isOpen() override { return finishedOpening.load(std::memory_order_acquire); }

    // The factory. Coordinates are already scaled; each new control has the editor as its
    // listener, is stored through the reference, owned by the editor until it closes and
    // registered with its kind. A missing picture makes nothing and leaves the reference.
    // Captions (side rules): the labelled forms add a TLabel beside or below the control.
    void createOnOff(TOnOff*& c, int tag, int x, int y, VSTGUI::CBitmap* bmp);
    void createOnOff(TOnOff*& c, int tag, int x, int y);
    void createOnOff(TOnOff*& c, int tag, int x, int y, TLabel*& label, const std::string& text,
                     int side, int width, int dx);
    void createOnOff(TOnOff*& c, int tag, int x, int y, VSTGUI::CBitmap* bmp, TLabel*& label,
                     const std::string& text, int side, int width, int dx);
    void createLabel(TLabel*& label, int x, int y, int w, int h, const std::string& text,
                     VSTGUI::CFontDesc* font, VSTGUI::CColor colour, int align);
    void createKickButton(VSTGUI::CKickButton*& c, int x, int y, int tag, VSTGUI::CBitmap* bmp);
    void createKickButton(VSTGUI::CKickButton*& c, int x, int y, VSTGUI::CBitmap* bmp);
    void createKickButtonArea(VSTGUI::CKickButton*& c, int x, int y, int w, int h);
    void createKickButtonLabel(VSTGUI::CKickButton*& c, int x, int y, VSTGUI::CBitmap* bmp,
                               TLabel*& label, const std::string& text, int side, int width);
    void createRadio(TRadioButton*& c, int x, int y, int group);
    void createRadioLabel(TRadioButton*& c, int x, int y, int group, TLabel*& label,
                          const std::string& text, int side, int width, int dx);
    void createKnob(TKnob*& c, int tag, int x, int y, int style);
    void createKnobLabel(TKnob*& c, int tag, int x, int y, int style, TLabel*& label,
                         const std::string& text, int width);
    void createReadout(TReadout*& c, int x, int y, int w, int h, const std::string& text,
                       bool centred, bool clickable);
    void createHSlider(THSlider*& c, int tag, int x, int y);
    void createHSliderLabel(THSlider*& c, int tag, int x, int y, TLabel*& label,
                            const std::string& text, int width);
    void createVSlider(TVSlider*& c, int tag, int x, int y);
    void createBigHSlider(THSlider*& c, int tag, int x, int y);
    void createBigHSliderLabel(THSlider*& c, int tag, int x, int y, TLabel*& label,
                               const std::string& text, int width);
    void createBigVSlider(TVSlider*& c, int tag, int x, int y);
    void createMenu(TOptionMenu*& c, int tag, int x, int y, int w, int h, int count,
                    const char* const* titles, bool centred, bool arrows);
    void createMenuLabel(TOptionMenu*& c, int tag, int x, int y, int w, int h, int count,
                         const char* const* titles, bool centred, bool arrows, TLabel*& label,
                         const std::string& text, int side, int width);
    void createMenuButton(TMenuButton*& c, int id, int x, int y, int w, int h,
                          const std::string& caption);
    // Views a layout builder makes itself (displays, pictures) are handed over here, so
    // closing releases them with the rest.
    void own(VSTGUI::CView* view);
    // The fixed hover name of a view ("C3 Preview", "EQ Display", ...).
    void setHoverName(VSTGUI::CView* view, const char* name);

    // Registry queries. Every control registered for a tag is kept, newest first.
    VSTGUI::CControl* getRegisteredControl(int index) const;
    int getControlKind(int index) const;
    int getControlScreen(int index) const;
    int getTagControlIndex(int tag) const { return isValidTag(tag) ? tagControlIndex[tag] : -1; }
    int getNextControlIndex(int index) const;
    int countControlsForTag(int tag) const;
    // The newest control of the screen that bears the tag, else null.
    VSTGUI::CControl* findControl(int tag, int screen) const;
    TLabel* getCaption(const VSTGUI::CControl* control) const;
    // Gives a control a new tag; it then receives the pushes of that tag too.
    void retagControl(VSTGUI::CControl* control, int tag);

    // Screen size for the next editor, menus, radio groups and modulation routes.
    void setScreenSize(int size);
    void setMenuValue(int tag, int index);
    // What a parameter's menu does beyond the step it chose; its rows are in uEditorActions.cpp.
    enum class MenuRule;
    void resumeMenu(TOptionMenu* m);
    void resumeMenu(TOptionMenu* m, float value, float range, int count, const char* const* titles);
    void changeRadioDelta(int group, int delta);
    void setNextModSlot(int source, int destination);
    std::string getDestMenuStr(int dest, bool shortText) override;
    void setModValue(TKnob* knob);
    void setModValue(TVSlider* slider);
    void setModValue(THSlider* slider);
    void updateLocked(TOptionMenu* m);

    // Value roads and refresh.
    void updateWaveScreen();
    void dropMod();
    void updateReadout(const std::string& name, const std::string& value);
    // The read-outs show a parameter and its value, as after a choice of its menu.
    void showChosen(int tag);
    const std::string& getHoverName() const { return hoverName; }
    const std::string& getHoverValue() const { return hoverValue; }
    void requestUserWave() { waveChanged = true; }

    // Selections of the screens' radio groups.
    int getOscPage(int osc) const { return oscPage[osc & 1]; }
    int getSelectedEQ() const { return selectedEQ; }
    int getMultiViewPage() const { return multiViewPage; }
    int getSelectedUserWave() const { return selectedUserWave; }
    int getWaveDrawMode() const { return waveDrawMode; }
    int getWaveEditMode(int wave) const { return waveEditMode[wave & 1]; }
    int getKeptPlayMode() const { return keptPlayMode; }
    bool isRedrawPending(int container) const;

    // The user waves' names and built-in preset markers, with the copies the wave undo and the
    // wave clipboard keep of them; the main screen starts them afresh at each opening.
    struct UserWaveBook {
        std::string names[2] = {"User 1", "User 2"};
        std::string undoNames[2] = {"None", "None"};
        std::string clipName = "None";
        int markers[2] = {-1, -1};
        int undoMarkers[2] = {-1, -1};
        int clipMarker = -1;
    };
    const UserWaveBook& getUserWaveBook() const { return waveBook; }
    void resetUserWaveBook();

    uEditorControlSet ui;

private:
    void registerEntry(VSTGUI::CControl* control, int kind, int tag);
    void setCaption(VSTGUI::CControl* control, TLabel* label);
    void releaseOwnedViews();
    VSTGUI::CBitmap* picture(int id) const { return getSkinBitmap(id); }
    void serveTagAction(int tag);
    void resumeMenusOfTag(int tag);
    void resumeTitleMenusOfTag(int tag, float range, int count, const char* const* titles);
    void swapModeMemory(const int* tags, int count, float (*memory)[8], int oldRow, int newRow);
    void idlePass(uint32_t t);
    // The compare buttons light to show the sound that plays: EDIT the edited one, ORIG the
    // one as loaded.
    void idleCompareButtons();
    void findHoveredView();
    void idleSectionLooks(uint32_t t);
    void idleMultiView(uint32_t t);
    void idleEasyScreen(uint32_t t);
    void idleHover();
    void idleShownModValues(int screen);
    void idleXYModes(int screen);
    // The XY pads' LIVE, REC and PLAY radios of both screens show the record modes.
    void showXYRecordModes();
    void fillFXPage();
    void showPageViews(VSTGUI::CView* const* views, int count);
    void greyLook(int look, int screen, bool off);
    // What valueChanged does with a control's new value.
    void actOnChange(VSTGUI::CControl* c);
    bool actTopBar(VSTGUI::CControl* c, bool pressed);
    bool actRadios(VSTGUI::CControl* c, bool pressed);
    bool actMenus(VSTGUI::CControl* c, int index, const char* title);
    // What a parameter's menu does beyond stepping its parameter.
    bool actMenuRule(MenuRule rule, int tag, int index, const char* title);
    bool actPlayLock(VSTGUI::CControl* c, int index);
    bool actRibbonBipolar(VSTGUI::CControl* c);
    bool actWave(VSTGUI::CControl* c, bool pressed, int index, const char* title);
    bool actArp(VSTGUI::CControl* c, int index);
    bool actBackSide(VSTGUI::CControl* c, bool pressed, int index);
    void arpStartRule();
    // The arpeggiator going off gives the XY pads back the play modes its start rule replaced,
    // where they still stand at "Free".
    void arpStopRule();
    // Writes the editor makes beside the control the user edits, each an edit of its own that
    // the host hears bracketed; a value that would not change is not written.
    void editStepTold(int tag, int index);
    void editSwitchTold(int tag, bool on);
    void waveShaperReset();
    void waveRebuild();

    VSTGUI::CView* hoveredView = nullptr;
    int controlScreen[kMaxControls] = {};
    int controlNextSameTag[kMaxControls] = {};
    TLabel* controlCaption[kMaxControls] = {};
    std::vector<VSTGUI::CView*> ownedViews;
    static constexpr int kMaxHoverNames = 160;
    VSTGUI::CView* hoverViews[kMaxHoverNames] = {};
    const char* hoverTexts[kMaxHoverNames] = {};
    int hoverCount = 0;

    // Per-mode memories of the two distortions and the modulation effect, and the kept play
    // mode of the arpeggiator switch.
    float distortVoiceMemory[27][8] = {};
    float distortFXMemory[27][8] = {};
    float modFXMemory[10][8] = {};
    int keptPlayMode = 0;
    // The XY pads' play modes before the arpeggiator set them to "Free"; -1 none kept.
    int keptXYPlayMode[2] = {-1, -1};
    bool mainControlsMade = false;
    int selectedUserWave = 0;
    int waveDrawMode = 0;
    std::atomic<bool> waveChanged{false};

    // What the idle pass showed last of the looks that follow the engine (captions greyed or
    // lit, their texts, the step lights): a pass changes a look only when its value moved, so a
    // steady sound redraws nothing. Every opening builds its controls anew in their default
    // looks, so it forgets all of these at once and the first pass shows each as it stands.
    struct ShownLooks {
        int filterType = -1, portMode = -1, unisonMode = -1;
        int highPass = -1, waveshaper = -1, lowFi = -1;
        int arpLed = -2, arpSeq = -1, easyFilterType = -1;
        // What the render last applied of the user waves and the distortion FX's mode.
        uint32_t waveLook = 0;
        int distortFXMode = -1;
    };
    ShownLooks shownLooks;
    bool fxOn[5] = {};
    float pulsePhase[5] = {}, pulseSpeed[5] = {0.011f, 0.013f, 0.017f, 0.019f, 0.023f};
    uint32_t lastPulseTenth = 0;

public:
    // ---- Screens: main screen layout, Easy screen, back-side settings page ------------------
    // A menu whose first title stands alone and whose other titles sit in group submenus:
    // group g holds titles groupStart[g] .. groupStart[g + 1] - 1. The submenus take `subTag`
    // (the menu's own tag when negative) and are kept in `subs` when given.
    TOptionMenu* makeGroupedMenu(const VSTGUI::CRect& r, int tag, const char* const* titles,
                                 const int* groupStart, int groups, const char* const* groupTitles,
                                 int32_t subStyle, TOptionMenu** subs, int subTag = -1);
    // The voice distortion knobs' outer rings for the current mode (unipolar or bipolar).
    void setDistortRings();
    // Set while the layout is built: whether the high-pass and each effect group were off.
    enum {
        kGroupWaveshaper,
        kGroupLowFi,
        kGroupDistortFX,
        kGroupModFX,
        kGroupDelay,
        kGroupReverb,
        kGroupGater,
        kGroupCount
    };
    bool highPassOff = false;
    bool groupOff[kGroupCount] = {};
    // The arpeggiator step lit last; -1 before the first idle pass lights one.
    int lastArpStepShown = -1;
    // The ribbon strip of the main screen, which the easy screen shows too: the bipolar switch,
    // the spring and quantize menus, their three captions and the ribbon itself.
    static constexpr int kRibbonGroup = 7;
    VSTGUI::CView* ribbonGroup[kRibbonGroup] = {};

    // Switching screens: the frame is emptied (its views stay alive) and the screen's views
    // are added in their drawing order. Leaving the back side always returns to the main screen.
    void showEasyScreen();
    void showBackScreen();
    void hideBackScreen();
    void setBackScreenMode(int) {}
    // The Easy screen's three bandwidth knobs follow the EQ selected (0 pre, 1 post).
    void updateEasyEQ();
    TKnob* easyBandwidth[3] = {};
    TLabel* easyBandwidthLabels[3] = {};
    bool easyEQGuard = false;
    // Raised by a pushed EQ tag from any thread, served by the Easy screen's idle pass.
    std::atomic<bool> easyEQRedraw{false};

    // The back side: its own controls' looks, the typed A4 pitch and brick-filter frequency
    // (false, changing nothing, for Cancel or text that is no number; a number out of range
    // takes the default) and their read-outs, one formatter each.
    void refreshBackScreen();
    // While the page shows: its read-outs of the sound follow the host and the engine.
    void idleBackScreen();
    bool typeA4();
    bool typeBrickFrequency();
    static std::string formatA4Readout();
    static std::string formatBrickReadout(float value);
    std::string formatVersionLine();
    VSTGUI::CControl* versionReadout = nullptr;
    // The back side's background, made with the other skin pictures at each opening.
    VSTGUI::CBitmap* backSideBitmap = nullptr;

public:
    // ---- Menus and sections: preset, context, settings and section menus, section model -----
    // The section model (user-interface thread). A pending request of the engine to clear the
    // stacks is served before any of these reads or changes them.
    void setSectionTags();
    void setSectionUndo(int section) override;
    void undoSection(int section);
    void copySection(int section);
    void pasteSection(int section);
    void resetSection(int section) override;
    void setSectionToOrig(int section) override;
    void copySections(int from, int to);
    void swapSections(int a, int b);
    void randomizeSection(int section);
    int getSectionUndoLevel(int section);
    bool getSectionHasClip(int section) const { return sectionModel.hasClip(section); }
    void setSectionHasClip(int section, bool on) { sectionModel.setHasClip(section, on); }
    const SectionModel& getSectionModel() const { return sectionModel; }

    // Makes the top bar's preset menu with its columns and commands, and the folder menu.
    void createPresetMenus();
    // The XY pad's menu and its selected point; least forms in uEditorControlMenus.cpp.
    void setXYPoint(int pad, int point) override;
    void showXYMenu(int pad) override;
    // The user-wave undo level and clipboard; least forms in uEditorControlMenus.cpp.
    void setWaveUndo();
    void copyWave(int wave);
    void pasteWave(int wave);
    void clearWave(int wave);

private:
    void serveClearUndos();
    // The command cycle of the menus: a snapshot of the undo section before every outcome but
    // "Undo", the chosen command, then, when an entry was picked, the frame redrawn and every
    // control refreshed.
    bool canShowCommandMenu() const;
    void runSectionMenu(CommandMenu& menu, int undoSection);
    void finishCommandMenu(bool picked);
    void addPasteEntry(CommandMenu& menu, const std::string& title, int section);
    void addUndoEntry(CommandMenu& menu, int section);
    // The "Modulates" lines of the slots whose source is one of `sources` from `firstSource`.
    void addModulatesLines(CommandMenu& menu, int firstSource, int sources);
    void addDestinationSubmenu(CommandMenu& menu, VSTGUI::COptionMenu* parent, int source,
                               bool withNone, bool noneAssigns);
    void addQuickSetEntries(CommandMenu& menu, int tag);
    void askMIDIChannel(const char* key, const char* informative);

    SectionModel sectionModel;

public:
    // ---- Displays: EQ curve, gate pattern, matrix, path, arpeggiator grid, XY pads, waves ---

public:
    // ---- Display menus: EQ, matrix, gater, path, arpeggiator, XY pads, user waves ----------
    // The modulation matrix's menu for a slot row (0..15), or -1 for the matrix alone.
    void showModMenu(int slot) override;
    // Writes the editor's working gate pattern into the two mask parameters.
    void setGaterVar();
    void setXY(int pad, float x, float y);
    void smoothWave(int wave);
    // The position the path display has selected; the path menu moves that unit.
    void setPathSelected(int path, int position) override;
    int getPathSelected(int path) const { return pathSelected[path & 1]; }
    int getSelectedXYPoint(int pad) const { return selectedXYPoint[pad & 1]; }

private:
    // The clipboards and working copies that a preset applied with the window open empties.
    void clearDisplayMenuState();
    // Asks for a file of the kind and writes its values to `tags` (plain write), then resets
    // the engine; any fault shows the kind's one message and changes nothing. True when loaded.
    bool loadDisplayPresetFile(const zekfiles::DisplayPresetKind& kind, const char* title,
                               int folderKind, const char* filter, const int* tags);
    void saveDisplayPresetFile(const zekfiles::DisplayPresetKind& kind, const char* title,
                               int folderKind, const char* defaultName, const int* tags);
    void addWaveTransformEntries(CommandMenu& menu, int wave);

    int gaterSteps[16][2] = {};
    float modSlotClip[7] = {};
    bool modSlotClipValid = false;
    float arpStepClip[8] = {};
    bool arpStepClipValid = false;
    int selectedXYPoint[2] = {};
    int pathSelected[2] = {};
    float waveUndoPresetNumbers[2] = {};
    float waveClipPresetNumber = 0.0f;
    UserWaveBook waveBook;
};
