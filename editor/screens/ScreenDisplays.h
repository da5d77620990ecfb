// The displays the screens place (EQ curve, gate pattern rows, modulation matrix, path lists),
// made in one spot: each is owned by the editor and released when it closes. Host
// user-interface thread, at each opening.
#pragma once

#include "gui/GuiTypes.h"

class uEditor;
namespace VSTGUI {
class CView;
} // namespace VSTGUI

namespace screens {
VSTGUI::CView* makeEQCurve(uEditor& ed, const VSTGUI::CRect& r);
VSTGUI::CView* makeGateRow(uEditor& ed, const VSTGUI::CRect& r, int tag, bool vertical);
VSTGUI::CView* makeModMatrix(uEditor& ed, const VSTGUI::CRect& r);
VSTGUI::CView* makePathList(uEditor& ed, const VSTGUI::CRect& r, int path);
// Points an EQ curve at EQ `eq` (0 pre, 1 post) and pales it while that EQ is off.
void pointEQCurve(VSTGUI::CView* curve, int eq, bool bypassed);
// Shows a gate row's pattern and the gater's step count as the engine has them.
void showGateRow(VSTGUI::CView* row, float pattern, float steps);
} // namespace screens
