// Construction, opening and closing of the editor, and its small members. Host user-interface
// thread; the engine's flags tell the audio thread when the editor may take pushes.
#include "editor/ueditor.h"

#include "controls/FontTables.h"
#include "editor/EditorModeTables.h"
#include "editor/EngineSound.h"
#include "editor/SkinResources.h"
#include "engine/APlugin.h"
#include "engine/params/StringTables.h"
#include "platform/prefs.h"

using namespace VSTGUI;

namespace {

// Where each view container sits at 100 percent (x, y); its size is its background's.
constexpr int kOscModX[2] = {80, 410};
constexpr int kOscModY = 181;
constexpr int kEQX = 916, kEQY = 373;
constexpr int kDistortVoiceX = 867, kDistortVoiceY = 576;
constexpr int kMultiViewX = 25, kMultiViewY = 426;
constexpr int kLinearKnobMode = 2;

CViewContainer* makeContainer(CBitmap* background, int x, int y) {
    const CCoord w = background ? background->getWidth() : 0;
    const CCoord h = background ? background->getHeight() : 0;
    auto* c = new CViewContainer(CRect(x, y, x + w, y + h));
    c->useOffscreen(false);
    return c;
}

} // namespace

uEditor::uEditor(AudioEffect* owner) : AEffGUIEditor(owner) {
    // Numbered pictures come from the skin compiled into the plug-in.
    setBitmapResourceProvider(&findSkinResource);
    clearRegistry();
    if (APlugin* engine = getEngine()) {
        editStateShown = !engine->getEditChanged();
        sound = makeEngineSound(*engine);
        engine->setEditorLink(this);
    }
    keyboardOn = getRegValue("Keyboard", true);
    autoLimitOn = getRegValue("AutoLimit", true);
    dragAndDropOn = getRegValue("DragAndDrop", true);
    toolTipOn = getRegValue("ToolTip", true);
    animationOn = getRegValue("Animation", true);
    xyModOn = getRegValue("XYMod", true);
    clearUndos();
    // Each mode starts from its defaults; switching modes then remembers what the user set.
    for (int row = 0; row < edtables::kDistortModes; ++row)
        for (int k = 0; k < edtables::kDistortSlots; ++k)
            distortVoiceMemory[row][k] = distortFXMemory[row][k] =
                edtables::DISTORT_DEFAULTS[row][k];
    for (int mode = 0; mode < edtables::kModFXModes; ++mode)
        for (int k = 0; k < edtables::kModFXSlots; ++k)
            modFXMemory[mode][k] = edtables::MODFX_DEFAULTS[mode][k];
    idleStamp = programStepStamp = lastProgramStepAttempt = getTicks();
    // The last size that is switched on wins; none on is 100 percent.
    for (int index = 1; index < 4; ++index)
        if (getRegisterIsOn(REG_SCREEN_SIZE_STR[index], false)) screenSizeIndex = index;
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(getScaled(kMainHeight));
    rect.right = static_cast<VstInt16>(getScaled(kMainWidth));
}

uEditor::~uEditor() {
    finishedOpening = false;
    // A host that deletes the plug-in with the window still open gets it released here, so no
    // window outlives its editor. The engine is being destroyed and is not asked anything.
    if (frame) releaseOpening();
}

APlugin* uEditor::getEngine() const {
    return static_cast<APlugin*>(effect);
}

int uEditor::getSelectedArp() const {
    const APlugin* engine = getEngine();
    return engine ? engine->getEditorArp() : 0;
}

void uEditor::setSelectedArp(int pattern) {
    if (APlugin* engine = getEngine()) engine->setEditorArp(pattern);
}

bool uEditor::open(void* parentWindow) {
    APlugin* engine = getEngine();
    if (!engine) return false;
    if (frame) close();
    finishedOpening = false;
    engine->setEditorFlags(true, false);
    engine->setPreviewUserWave(selectedUserWave & 1);
    busy = showingScreen = creatingControls = mainScreenGuard = false;
    skipOscMod = skipEQ = skipDistortVoice = skipMultiView = false;
    redrawOscMod = redrawEQ = redrawDistortVoice = redrawMultiView = xyModesChanged = false;
    overloadLevel = 0;
    shownLooks = ShownLooks();
    hoverName.clear();
    hoverValue.clear();
    lastTooltip.clear();
    lastReadout.clear();

    closePending = false;
    uiThread = std::this_thread::get_id();
    AEffGUIEditor::open(parentWindow);
    createBitmaps();
    idleStamp = programStepStamp = lastProgramStepAttempt = getTicks();
    editStateShown = !engine->getEditChanged();

    CBitmap* background = getSkinBitmap(skin::kMainBackground);
    const CRect frameSize = background
                                ? CRect(0, 0, background->getWidth(), background->getHeight())
                                : CRect(0, 0, rect.right, rect.bottom);
    frame = new CFrame(frameSize, this);
    frame->setBackground(background);
    MenuStyle menus;
    menus.hoverBackground = GREEN_COLOR;
    menus.font = FONT_SIZES[getBig()];
    frame->setMenuStyle(menus);
    const bool opened = parentWindow ? frame->open(parentWindow, PlatformType::kX11ChildWindow)
                                     : frame->open(nullptr, PlatformType::kOffscreen);
    if (!opened) {
        // No display or no such parent window: nothing of this opening stays behind.
        close();
        return false;
    }
    frame->registerKeyboardHook(this);
    setKnobMode(kLinearKnobMode);

    const CBitmap* oscMod = getSkinBitmap(skin::kOscModBackground);
    for (int osc = 0; osc < 2; ++osc)
        oscModContainer[osc] = makeContainer(const_cast<CBitmap*>(oscMod), getScaled(kOscModX[osc]),
                                             getScaled(kOscModY));
    eqContainer =
        makeContainer(getSkinBitmap(skin::kEQBackground), getScaled(kEQX), getScaled(kEQY));
    distortVoiceContainer = makeContainer(getSkinBitmap(skin::kDistortVoiceBackground),
                                          getScaled(kDistortVoiceX), getScaled(kDistortVoiceY));
    multiViewContainer = makeContainer(getSkinBitmap(skin::kMultiViewBackground),
                                       getScaled(kMultiViewX, -2, 0, -4), getScaled(kMultiViewY));

    clearRegistry();
    mainControlsMade = false;
    buildingScreen = 0;
    createMainScreenControls();
    mainControlsMade = true;
    buildingScreen = 1;
    createEasyScreenControls();
    buildingScreen = 2;
    createBackScreen();
    buildingScreen = 0;
    dropTag = -1;
    dropReleased = false;
    showMainScreen();
    engine->setEditorFlags(false, true);
    finishedOpening = true;
    busy = false;
    updatePresetMenu();
    updateFolderMenu();
    resume();
    return true;
}

void uEditor::close() {
    APlugin* engine = getEngine();
    if (!engine) return;
    finishedOpening = false;
    engine->setEditorFlags(false, false);
    // A gesture cut short by the window closing still ends for the host; a question, file
    // chooser or message still open goes with the window, and so (with the frame) do an open
    // pop-up menu and message window: none of them changes anything after.
    cancelDialogs();
    endAllEdits();
    // No idle call follows to tell a program chosen and not yet applied; a stroke cut short
    // tells nothing.
    tellChosenProgram(true);
    strokeValues.clear();
    releaseOpening();
}

void uEditor::closeRequested() {
    closePending = true;
    finishedOpening = false;
    if (APlugin* engine = getEngine()) engine->setEditorFlags(false, false);
    if (frame) frame->stopEvents();
}

// The keyboard hook goes first, then the pictures, the containers, the frame and last the
// controls, so the editor's reference to each control is the last one.
void uEditor::releaseOpening() {
    if (frame) frame->unregisterKeyboardHook(this);
    controlCount = 0;
    removeBitmaps();
    for (CViewContainer** c : {&oscModContainer[0], &oscModContainer[1], &eqContainer,
                               &distortVoiceContainer, &multiViewContainer}) {
        if (!*c) continue;
        (*c)->removeAll(false);
        (*c)->forget();
        *c = nullptr;
    }
    if (frame) {
        frame->removeAll(false);
        // The frame goes with its window: every opening starts from a new one.
        frame->forget();
        frame = nullptr;
    }
    removeControls();
    clearRegistry();
    editControl = nullptr;
    hoveredView = nullptr;
}

// The engine's wave commands (user-interface thread) keep an undo level of the user waves.
void uEditor::addWaveUndo() {
    setWaveUndo();
}
