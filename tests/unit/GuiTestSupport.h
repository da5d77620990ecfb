// Helpers for the view-layer tests: an off-screen frame, solid pictures, PNG bytes.
#pragma once

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

#include <cstdlib>
#include <string>

namespace guitest {

using namespace VSTGUI;

// A frame of the given size, opened off-screen. Release with forget().
inline CFrame* offscreenFrame(int w, int h, VSTGUIEditorInterface* editor = nullptr) {
    auto* frame = new CFrame(CRect(0, 0, w, h), editor);
    frame->open(nullptr, PlatformType::kOffscreen);
    return frame;
}

// A picture filled with one colour; with a second colour its lower half takes that one (the
// two states of a switch picture).
inline CBitmap* solidBitmap(int w, int h, CColor top, CColor bottom) {
    auto* b = new CBitmap(w, h, true);
    CDrawContext c(b->getNativeSurface());
    c.setFillColor(top);
    c.fillRect(CRect(0, 0, w, h / 2.0));
    c.setFillColor(bottom);
    c.fillRect(CRect(0, h / 2.0, w, h));
    return b;
}

// Adds a new view and hands it over: the container's reference becomes the only one.
template <class V> V* attach(CViewContainer* container, V* view) {
    container->addView(view);
    view->forget();
    return view;
}

inline bool near(CColor a, CColor b, int tolerance = 2) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

} // namespace guitest
