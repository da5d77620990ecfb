// The editor and sound lookup of the own controls and their shared click rules.
// User-interface thread.
#include "controls/ControlContext.h"

#include "gui/CControl.h"
#include "gui/CFrame.h"

#include <map>
#include <memory>
#include <mutex>

using namespace VSTGUI;

ControlEditor* editorOf(const CView* view) {
    return view ? dynamic_cast<ControlEditor*>(view->getEditor()) : nullptr;
}

ControlSound* engineOf(const CView* view) {
    ControlEditor* editor = editorOf(view);
    return editor ? editor->getSound() : nullptr;
}

DisplaySound* displaySoundOf(const CView* view) {
    return dynamic_cast<DisplaySound*>(engineOf(view));
}

bool mayDraw(const CView* view) {
    const ControlEditor* editor = editorOf(view);
    return editor && editor->getEditorFinishedOpening();
}

float clickTarget(const CButtonState& b, float defaultValue, float commandValue, float origValue) {
    if (b & kControl) return (b & kShift) ? origValue : commandValue;
    if (b.isDoubleClick()) return defaultValue;
    return -1.0f;
}

bool applyValueClick(CControl* control, ControlSound*, const CButtonState& b, float target) {
    if (target > -0.5f) {
        // An edit only when the value moves: a second click of a double click on a control
        // at its default already tells the host nothing.
        const float before = control->getValue();
        control->setValue(target);
        if (control->getValue() != before) {
            control->beginEdit();
            control->valueChanged();
            control->endEdit();
        }
        return true;
    }
    if (b & kAlt) {
        // The answer comes later, as an edit of its own; this click changes nothing.
        if (ControlEditor* editor = editorOf(control)) editor->typeValue(control->getTag());
        return true;
    }
    return false;
}

CFontRef boldFont(CFontRef font) {
    if (!font) return nullptr;
    struct Release {
        void operator()(CFontDesc* f) const { f->forget(); }
    };
    // The bold faces are the process's, shared by editors that may idle on threads of their own.
    static std::mutex lock;
    static std::map<CFontRef, std::unique_ptr<CFontDesc, Release>> bold;
    std::lock_guard<std::mutex> guard(lock);
    auto& face = bold[font];
    if (!face) face.reset(new CFontDesc(font->getName(), font->getSize(), kBoldFace));
    return face.get();
}
