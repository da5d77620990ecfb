// An opened off-screen editor on a real engine, at a chosen screen size, for the control
// tests: synthetic mouse events go through the frame, a listener records what it hears.
#pragma once

#include "controls/ControlContext.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "gui/CDrawContext.h"
#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace controlstest {

using namespace VSTGUI;

struct Recorder : IControlListener {
    std::vector<float> values;
    int begins = 0, ends = 0;
    void valueChanged(CControl* c) override { values.push_back(c->getValue()); }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
};

// A strip of n images stacked vertically (or side by side), image i filled with grey level
// 10 + 2i so a pixel tells which image is shown.
inline CBitmap* greyStrip(int w, int h, int n, bool sideBySide = false) {
    auto* b = sideBySide ? new CBitmap(w * n, h, true) : new CBitmap(w, h * n, true);
    CDrawContext c(b->getNativeSurface());
    for (int i = 0; i < n; ++i) {
        const auto g = static_cast<uint8_t>(10 + 2 * i);
        c.setFillColor(CColor{g, g, g, 255});
        c.fillRect(sideBySide ? CRect(i * w, 0, (i + 1) * w, h) : CRect(0, i * h, w, (i + 1) * h));
    }
    return b;
}

inline bool near(CColor a, CColor b, int tolerance = 2) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

inline int imageAt(CColor c) {
    return (c.red - 10) / 2;
}

// The editor's 60 Hz clock, in milliseconds, under the tests' control.
inline uint32_t fakeTicks = 1000;
inline uint32_t readFakeTicks() {
    return fakeTicks;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeTicks = 1000;
        AEffGUIEditor::setTickSource(readFakeTicks);
    }
    void TearDown() override {
        if (ed) ed->close();
        engine.reset();
        AEffGUIEditor::setTickSource(nullptr);
    }
    // Opens the editor off-screen at size index 0..3.
    void openEditor(int size) {
        static const char* const KEYS[4] = {"Big100", "Big125", "Big150", "Big200"};
        for (int i = 1; i < 4; ++i) saveStringToPrefs(KEYS[i], i == size ? "Y" : "N");
        engine = std::make_unique<APlugin>(nullptr);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        frame = ed->getFrame();
    }
    // The editor as the user sees it: its screens shown, one idle pass done.
    void openShown(int size = 0) {
        openEditor(size);
        idle();
    }
    void closeShown() {
        ed->close();
        engine.reset();
        ed = nullptr;
    }
    // One idle pass past the refresh throttle: the containers fill, the looks settle.
    void idle() {
        fakeTicks += 100;
        ed->idle();
    }
    // Opens the editor off-screen at size index 0..3 with an empty frame for the test's views.
    void open(int size = 0) {
        openEditor(size);
        // The editor keeps its own references to its views; the tests own the frame now.
        frame->removeAll(false);
    }
    // A press and release at the middle of a shown view.
    void clickMiddle(CView* v) {
        ASSERT_NE(v, nullptr);
        CPoint p((v->getViewSize().left + v->getViewSize().right) / 2,
                 (v->getViewSize().top + v->getViewSize().bottom) / 2);
        v->localToFrame(p);
        press(p, kLButton);
        release(p);
    }
    // Adds the view to the frame, which then holds the only reference.
    template <class V> V* add(V* view) {
        frame->addView(view);
        view->forget();
        return view;
    }
    CMouseEventResult press(CPoint p, int buttons) {
        clock += 1000; // never a double click unless asked for
        return frame->platformMouseDown(p, CButtonState(buttons), clock);
    }
    void move(CPoint p, int buttons) { frame->platformMouseMoved(p, CButtonState(buttons)); }
    void release(CPoint p, int buttons = kLButton) {
        frame->platformMouseUp(p, CButtonState(buttons));
    }
    CColor pixel(CPoint p) {
        frame->render();
        return frame->getPixel(static_cast<int>(p.x), static_cast<int>(p.y));
    }

    FreshPrefs prefs{"zek2controls"};
    std::unique_ptr<APlugin> engine;
    uEditor* ed = nullptr;
    CFrame* frame = nullptr;
    Recorder rec;
    uint32_t clock = 1000;
};

} // namespace controlstest
