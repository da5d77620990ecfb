// How every own control reaches its editor and the sound (the interfaces of ControlHost.h, found
// through its frame's editor), and the gesture rules the value controls share. User-interface
// thread.
#pragma once

#include "controls/ControlHost.h"
#include "gui/CFontDesc.h"
#include "gui/GuiTypes.h"

namespace VSTGUI {
class CControl;
class CView;
} // namespace VSTGUI

// Null when the view is not in a frame whose editor answers the controls.
ControlEditor* editorOf(const VSTGUI::CView* view);
// Null when the editor or its sound is missing.
ControlSound* engineOf(const VSTGUI::CView* view);
// Null when the editor, its sound or the displays' data is missing.
DisplaySound* displaySoundOf(const VSTGUI::CView* view);
// True once the editor has finished opening: no control draws before.
bool mayDraw(const VSTGUI::CView* view);

// Result codes of the mouse handlers: followed by moves and the release, or not.
constexpr VSTGUI::CMouseEventResult kFollowed = VSTGUI::kMouseEventHandled;
constexpr VSTGUI::CMouseEventResult kDone =
    VSTGUI::kMouseDownEventHandledButDontNeedMovedOrUpEvents;

// A right click or a Control click opens the command menu.
inline bool isMenuClick(const VSTGUI::CButtonState& b) {
    return (b & (VSTGUI::kRButton | VSTGUI::kApple)) != 0;
}

// The value a value-setting click asks for, or -1 for none: double click the default,
// Command commandValue, Command with Shift the value as loaded; Command wins.
float clickTarget(const VSTGUI::CButtonState& b, float defaultValue, float commandValue,
                  float origValue);

// Sets target (when >= 0) as one edit when the value moves, or asks for a typed value
// (Option), whose answer is an edit of its own. False when the click is neither: a drag
// starts, and its caller opens the gesture's edit bracket.
bool applyValueClick(VSTGUI::CControl* control, ControlSound* engine, const VSTGUI::CButtonState& b,
                     float target);

// The bold face of a font at the same size; made once per font and kept for the process.
VSTGUI::CFontRef boldFont(VSTGUI::CFontRef font);
