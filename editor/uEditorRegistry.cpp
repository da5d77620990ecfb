// The control registry: every control made at an opening, its kind, its screen and its
// caption, and for each parameter tag the chain of every control that shows it (a tag shown
// on the main and the easy screen has two). Also the screen scale and the screen-size
// preference. Filled and read on the host user-interface thread; the audio thread never
// reads it.
#include "editor/ueditor.h"

#include "engine/APlugin.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"

#include <algorithm>

using namespace VSTGUI;

void uEditor::clearRegistry() {
    controlCount = 0;
    for (int i = 0; i < kMaxControls; ++i) {
        controls[i] = nullptr;
        controlKinds[i] = 0;
        controlScreen[i] = 0;
        controlNextSameTag[i] = -1;
        controlCaption[i] = nullptr;
    }
    for (int& index : tagControlIndex) index = -1;
    hoverCount = 0;
}

void uEditor::registerEntry(CControl* control, int kind, int tag) {
    const int index = controlCount++;
    controls[index] = control;
    controlKinds[index] = kind;
    controlScreen[index] = buildingScreen;
    controlCaption[index] = nullptr;
    controlNextSameTag[index] = -1;
    if (isValidTag(tag)) {
        // The newest heads the chain; the older ones stay reachable behind it.
        controlNextSameTag[index] = tagControlIndex[tag];
        tagControlIndex[tag] = index;
    }
}

bool uEditor::addControl(CControl* control, int kind) {
    APlugin* engine = getEngine();
    if (!engine || !control || !frame || controlCount >= kMaxControls) return false;
    const int tag = control->getTag();
    registerEntry(control, kind, tag);
    if (isValidTag(tag)) {
        control->setDefaultValue(engine->getDefaultValue(tag));
        control->setValue(engine->getParameter(tag));
    } else {
        control->setDefaultValue(0.0f);
        control->setValue(0.0f);
    }
    return true;
}

void uEditor::setCaption(CControl* control, TLabel* label) {
    for (int i = controlCount - 1; i >= 0; --i)
        if (controls[i] == control) {
            controlCaption[i] = label;
            return;
        }
}

TLabel* uEditor::getCaption(const CControl* control) const {
    if (!control) return nullptr;
    for (int i = controlCount - 1; i >= 0; --i)
        if (controls[i] == control) return controlCaption[i];
    return nullptr;
}

void uEditor::retagControl(CControl* control, int tag) {
    if (!control || control->getTag() == tag) return;
    control->setTag(tag);
    if (!isValidTag(tag)) return;
    for (int i = tagControlIndex[tag]; i >= 0; i = controlNextSameTag[i])
        if (controls[i] == control) return;
    // First time under this tag: one more entry, so the tag's pushes reach it. A control
    // switches between a few tags only, so the registry stays bounded.
    int kind = -1, screen = buildingScreen;
    TLabel* caption = nullptr;
    for (int i = 0; i < controlCount && kind < 0; ++i)
        if (controls[i] == control) {
            kind = controlKinds[i];
            screen = controlScreen[i];
            caption = controlCaption[i];
        }
    if (kind < 0 || controlCount >= kMaxControls) return;
    const int saved = buildingScreen;
    buildingScreen = screen;
    registerEntry(control, kind, tag);
    controlCaption[controlCount - 1] = caption;
    buildingScreen = saved;
}

CControl* uEditor::getRegisteredControl(int index) const {
    return index >= 0 && index < controlCount ? controls[index] : nullptr;
}

int uEditor::getControlKind(int index) const {
    return index >= 0 && index < controlCount ? controlKinds[index] : -1;
}

int uEditor::getControlScreen(int index) const {
    return index >= 0 && index < controlCount ? controlScreen[index] : -1;
}

int uEditor::getNextControlIndex(int index) const {
    return index >= 0 && index < controlCount ? controlNextSameTag[index] : -1;
}

int uEditor::countControlsForTag(int tag) const {
    int n = 0;
    for (int i = getTagControlIndex(tag); i >= 0; i = controlNextSameTag[i])
        if (controls[i] && controls[i]->getTag() == tag) ++n;
    return n;
}

CControl* uEditor::findControl(int tag, int screen) const {
    for (int i = getTagControlIndex(tag); i >= 0; i = controlNextSameTag[i])
        if (controls[i] && controls[i]->getTag() == tag && controlScreen[i] == screen)
            return controls[i];
    return nullptr;
}

void uEditor::releaseOwnedViews() {
    // A view may have been handed over twice; each is released once.
    std::sort(ownedViews.begin(), ownedViews.end());
    ownedViews.erase(std::unique(ownedViews.begin(), ownedViews.end()), ownedViews.end());
    for (CView* v : ownedViews) v->forget();
    ownedViews.clear();
    ui = uEditorControlSet{};
}

void uEditor::setEditTag(int tag) {
    if (!isValidTag(tag)) {
        editControl = nullptr;
        return;
    }
    // The control of the screen shown, else the newest.
    CControl* found = findControl(tag, screenMode);
    if (!found && tagControlIndex[tag] >= 0) found = controls[tagControlIndex[tag]];
    if (found) editControl = found;
}

int uEditor::getScaled(int v, int c125, int c150, int c200) const {
    switch (screenSizeIndex) {
    case 1:
        return static_cast<int>(static_cast<float>(v) * SCALE[1]) + c125;
    case 2:
        return static_cast<int>(static_cast<float>(v) * SCALE[2]) + c150;
    case 3:
        return static_cast<int>(static_cast<float>(v) * SCALE[3]) + c200;
    default:
        return v;
    }
}

int uEditor::getScaledBitmap(int id) const {
    if (screenSizeIndex < 0 || screenSizeIndex > 3) return id;
    return id + 1000 * screenSizeIndex;
}

bool uEditor::getRegValue(const std::string& key, bool def) {
    std::string value;
    loadStringFromPrefs(key, value, 127);
    if (value == "Y") return true;
    if (value == "N") return false;
    return def;
}

void uEditor::setScreenSize(int size) {
    if (size < 0 || size >= REG_SCREEN_SIZE_COUNT) return;
    for (int i = 0; i < REG_SCREEN_SIZE_COUNT; ++i) saveStringToPrefs(REG_SCREEN_SIZE_STR[i], "N");
    saveStringToPrefs(REG_SCREEN_SIZE_STR[size], "Y");
    static const char* const TEXTS[4] = {"When you next open ZEK2, it'll open in 100% Screen Mode",
                                         "When you next open ZEK2, it'll open in 125% Screen Mode",
                                         "When you next open ZEK2, it'll open in 150% Screen Mode",
                                         "When you next open ZEK2, it'll open in 200% Screen Mode"};
    messageBox(TEXTS[size], 2);
}
