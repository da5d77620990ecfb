// The whole editor driven by pointer events at the frame: the preset menu and its arrows, the
// compare buttons, drags and the wheel in the matrix across idle passes, and the arpeggiator
// switch with the XY play modes it sets and gives back. Every edit must reach the host as
// beginEdit, automate, endEdit on a parameter tag.
#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/displays/TModScreen.h"
#include "engine/params/StringTables.h"
#include "gui/MenuPopup.h"
#include "test_core_rig.h"

#include <cmath>

namespace {

using namespace coretest;

// Every host call with its index, in order.
struct Call {
    VstInt32 opcode;
    int index;
    float value;
};
std::vector<Call> calls;

VstIntPtr callsHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr v, void* p, float opt) {
    if (opcode != audioMasterVersion) calls.push_back({opcode, index, opt});
    return recordingHost(e, opcode, index, v, p, opt);
}

class CoreTopBar : public CoreEditor {
protected:
    void SetUp() override {
        CoreEditor::SetUp();
        // The same opened editor, on an engine whose host keeps every call's index.
        ed->close();
        engine = std::make_unique<APlugin>(callsHost);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        frame = ed->getFrame();
        calls.clear();
    }
    CPoint at(CView* v, CCoord dx, CCoord dy) {
        CPoint p(v->getViewSize().left + dx, v->getViewSize().top + dy);
        if (v->getParentView() != frame) v->getParentView()->localToFrame(p);
        return p;
    }
    void clickAt(CPoint p, CButtonState b = kLButton) {
        clock += 1000;
        frame->platformMouseDown(p, b, clock);
        frame->platformMouseUp(p, b);
    }
    // Runs the audio thread long enough to apply a program and end its refresh.
    void render() {
        std::vector<float> left(4096), right(4096);
        float* outs[2] = {left.data(), right.data()};
        float* ins[2] = {left.data(), right.data()};
        for (int block = 0; block < 4; ++block) engine->processReplacing(ins, outs, 4096);
    }
    // The calls for one tag, as opcode letters: b begin, a automate, e end.
    std::string story(int tag) const {
        std::string s;
        for (const Call& c : calls)
            if (c.index == tag &&
                (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
                 c.opcode == audioMasterEndEdit))
                s += c.opcode == audioMasterBeginEdit  ? 'b'
                     : c.opcode == audioMasterAutomate ? 'a'
                                                       : 'e';
        return s;
    }
    // No edit callback ever names a tag outside the parameters, and brackets close.
    void expectOnlyParameterEdits() const {
        int open = 0;
        for (const Call& c : calls) {
            if (c.opcode != audioMasterBeginEdit && c.opcode != audioMasterEndEdit &&
                c.opcode != audioMasterAutomate)
                continue;
            EXPECT_TRUE(c.index >= 0 && c.index < 2048) << c.opcode << " " << c.index;
            open += c.opcode == audioMasterBeginEdit ? 1 : c.opcode == audioMasterEndEdit ? -1 : 0;
        }
        EXPECT_EQ(open, 0);
    }
};

TEST_F(CoreTopBar, ThePresetNameOpensTheBankInColumnsAndTheArrowsStepIt) {
    TOptionMenu* preset = ed->ui.presetMenu;
    ASSERT_TRUE(preset);
    const CPoint name = at(preset, 20, 8);
    EXPECT_EQ(frame->getViewAt(name, true), preset);

    // A left click shows the eight columns, then the commands; the fifth entry of the second
    // column is preset 36.
    std::vector<std::string> titles;
    std::vector<int> counts;
    frame->setMenuDriver([&, step = 0](MenuPopup& p) mutable {
        if (step++ == 0) {
            for (int i = 0; i < p.getMenu()->getNbEntries(); ++i) {
                const CMenuItem* item = p.getMenu()->getEntry(i);
                titles.push_back(item->getTitle());
                counts.push_back(item->getSubmenu() ? item->getSubmenu()->getNbEntries() : -1);
            }
            p.mouseMoved(p.getItemCenter(0, 1));
            return true;
        }
        const CPoint c = p.getItemCenter(1, 4);
        p.mouseMoved(c);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        return false;
    });
    clickAt(name);
    ASSERT_EQ(titles.size(), 14u);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(titles[k], PRESET_SUB_HEADER_STR[k]);
    EXPECT_EQ(std::vector<int>(counts.begin(), counts.begin() + 8),
              (std::vector<int>{32, 32, 32, 20, 0, 0, 0, 0}));
    EXPECT_EQ(titles[9], "Clear Preset");
    EXPECT_EQ(titles[13], "Set To 200% Screen Size");
    char expected[64] = "", shown[64] = "";
    ASSERT_TRUE(engine->getDemoName(36, expected));
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);
    EXPECT_EQ(preset->getString(), expected);

    // A right click opens the same list; dismissed, it changes nothing.
    bool opened = false;
    frame->setMenuDriver([&](MenuPopup& p) {
        opened = p.getMenu() == preset;
        return false;
    });
    clickAt(name, kRButton);
    EXPECT_TRUE(opened);
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);
    // By keys: down to the first column, right into it (its first preset), down, return.
    frame->setMenuDriver([step = 0](MenuPopup& p) mutable {
        const int32_t keys[] = {14, 13, 14, 19};
        p.keyDown(keys[step++]);
        return step < 4;
    });
    clickAt(name);
    ASSERT_TRUE(engine->getDemoName(1, expected));
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);
    // An empty column is there but cannot be chosen.
    frame->setMenuDriver([&](MenuPopup& p) {
        const CPoint c = p.getItemCenter(0, 4);
        p.mouseMoved(c);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        EXPECT_FALSE(p.isDone());
        return false;
    });
    clickAt(name);
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);

    // The right arrow steps on, the left one back; a step waits for the last to be applied.
    frame->setMenuDriver([](MenuPopup&) {
        ADD_FAILURE() << "an arrow opened the list";
        return false;
    });
    const CCoord w = preset->getWidth();
    render();
    controlstest::fakeTicks += 30;
    clickAt(at(preset, w - 2, 8));
    ASSERT_TRUE(engine->getDemoName(2, expected));
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);
    render();
    controlstest::fakeTicks += 30;
    clickAt(at(preset, w - 16, 8));
    clickAt(at(preset, w - 16, 8)); // within 300 ms: not taken
    ASSERT_TRUE(engine->getDemoName(1, expected));
    engine->getProgramName(shown);
    EXPECT_STREQ(shown, expected);
    pass();
    EXPECT_EQ(preset->getString(), expected);
    expectOnlyParameterEdits();
}

TEST_F(CoreTopBar, TheCompareButtonsLightTheSoundThatPlays) {
    CKickButton* edit = ed->ui.editButton;
    CKickButton* orig = ed->ui.origButton;
    ASSERT_TRUE(edit && orig);
    pass();
    EXPECT_FALSE(engine->getEditChanged());
    EXPECT_EQ(orig->getValue(), orig->getMax());
    EXPECT_EQ(edit->getValue(), edit->getMin());

    // An edit lights EDIT; ORIG brings back the sound as loaded and lights itself.
    const float before = engine->getParameter(tag::FilterFrequency);
    engine->setParameter(tag::FilterFrequency, before > 0.5f ? 0.1f : 0.9f);
    pass();
    EXPECT_EQ(edit->getValue(), edit->getMax());
    EXPECT_EQ(orig->getValue(), orig->getMin());
    clickAt(at(orig, 2, 2));
    pass();
    EXPECT_FLOAT_EQ(engine->getParameter(tag::FilterFrequency), before);
    EXPECT_EQ(orig->getValue(), orig->getMax());
    EXPECT_EQ(edit->getValue(), edit->getMin());
    clickAt(at(edit, 2, 2));
    pass();
    EXPECT_NE(engine->getParameter(tag::FilterFrequency), before);
    EXPECT_EQ(edit->getValue(), edit->getMax());
    EXPECT_EQ(orig->getValue(), orig->getMin());
    // The lit state holds through a screen switch and back.
    ed->showEasyScreen();
    pass();
    ed->showMainScreen();
    pass();
    EXPECT_EQ(edit->getValue(), edit->getMax());
    expectOnlyParameterEdits();
}

TEST_F(CoreTopBar, MatrixCellsDragAcrossIdlePassesAndTakeTheWheel) {
    ed->setMultiViewPage(2);
    pass();
    auto* m = dynamic_cast<TModScreen*>(ed->ui.modMatrixDisplay);
    ASSERT_TRUE(m && m->isAttached());
    const int amount = tag::ModAmountFirst;
    engine->setSteppedValue(tag::ModDestFirst, 8); // a semitone destination
    pass();
    calls.clear();

    // A drag up keeps moving the amount while the idle passes refill the page.
    const CPoint cell = at(m, MOD_COL_START[0][6] + 40, 5);
    clock += 1000;
    frame->platformMouseDown(cell, kLButton, clock);
    for (int i = 1; i <= 6; ++i) {
        frame->platformMouseMoved(CPoint(cell.x, cell.y - 6 * i), kLButton);
        pass();
    }
    frame->platformMouseUp(CPoint(cell.x, cell.y - 36), kLButton);
    const float dragged = engine->getParameter(amount);
    EXPECT_NEAR(dragged, 0.5f + 36.0f / 200, 1.0f / 72);
    EXPECT_NEAR(dragged * 72, std::round(dragged * 72), 1e-3);
    const std::string drag = story(amount);
    EXPECT_GE(drag.size(), 8u);
    EXPECT_EQ(drag.front(), 'b');
    EXPECT_EQ(drag.back(), 'e');
    EXPECT_EQ(drag.substr(1, drag.size() - 2).find_first_not_of('a'), std::string::npos);

    expectOnlyParameterEdits();

    // The wheel over the cell: a semitone a notch, each notch one bracketed edit.
    calls.clear();
    frame->platformWheel(cell, 1.0f, 0);
    frame->platformWheel(cell, 1.0f, 0);
    frame->platformWheel(cell, -1.0f, 0);
    EXPECT_NEAR(engine->getParameter(amount), dragged + 1.0f / 72, 1e-4);
    EXPECT_EQ(story(amount), "baebaebae");
    // With Shift the fine step of the parameter; over the source cell a source step.
    frame->platformWheel(cell, 1.0f, kShift);
    EXPECT_NEAR(engine->getParameter(amount), dragged + 1.0f / 72 + 0.001f, 1e-4);
    const int source = engine->getSteppedValue(tag::ModSourceFirst);
    frame->platformWheel(at(m, MOD_COL_START[0][1] + 20, 5), 1.0f, 0);
    EXPECT_EQ(engine->getSteppedValue(tag::ModSourceFirst), source + 1);
    EXPECT_EQ(story(tag::ModSourceFirst), "bae");

    // Over the scroll bar the wheel scrolls; past the ends it stops.
    const CPoint bar = at(m, m->getWidth() - 2, 5);
    for (int i = 0; i < 40; ++i) frame->platformWheel(bar, -1.0f, 0);
    EXPECT_EQ(m->getScrollPosition(), m->getScrollRange());
    EXPECT_EQ(m->getModSlot(0), 3);
    frame->platformWheel(bar, 1.0f, 0);
    EXPECT_LT(m->getScrollPosition(), m->getScrollRange());
    for (int i = 0; i < 40; ++i) frame->platformWheel(bar, 1.0f, 0);
    EXPECT_EQ(m->getScrollPosition(), 0);
    expectOnlyParameterEdits();
}

TEST_F(CoreTopBar, TheArpeggiatorGivesTheXYPadsBackTheirPlayModesAndTellsTheHost) {
    TOnOff* arp = nullptr;
    ed->createOnOff(arp, tag::ArpOn, 0, 0);
    ASSERT_TRUE(arp);
    const int xy1 = tag::Xy1PlayMode, xy2 = tag::Xy1PlayMode + tag::XyPadStride;
    engine->setSteppedValue(xy1, 0);           // Poly
    engine->setSteppedValue(xy2, 2);           // Mono
    engine->setSteppedValue(tag::PlayMode, 3); // a play mode to come back to
    calls.clear();
    arp->setValue(1.0f);
    ed->valueChanged(arp);
    EXPECT_EQ(engine->getXYPlayMode(0), 1);
    EXPECT_EQ(engine->getXYPlayMode(1), 1);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 8);
    EXPECT_EQ(story(xy1), "bae");
    EXPECT_EQ(story(xy2), "bae");
    EXPECT_EQ(story(tag::PlayMode), "bae");
    pass();

    calls.clear();
    arp->setValue(0.0f);
    ed->valueChanged(arp);
    EXPECT_EQ(engine->getXYPlayMode(0), 0);
    EXPECT_EQ(engine->getXYPlayMode(1), 2);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 3);
    EXPECT_EQ(story(xy1), "bae");
    EXPECT_EQ(story(xy2), "bae");
    pass();
    const auto* loop1 = dynamic_cast<TOptionMenu*>(ed->findControl(tag::Xy1LoopMode, 0));
    ASSERT_TRUE(loop1);
    EXPECT_EQ(loop1->getString(), XY_LOOP_MODE_STR[engine->getXYLoopMode(0)]);

    // A play mode chosen while the arpeggiator runs stays; the play-mode menu takes the
    // arpeggiator off the same way; a sequencer mode with the arpeggiator off keeps the
    // play mode the user has.
    arp->setValue(1.0f);
    ed->valueChanged(arp);
    engine->setSteppedValue(xy2, 0);
    TOptionMenu* play = nullptr;
    ed->createMenu(play, tag::PlayMode, 0, 20, 60, 12, 9, PLAY_MODE_STR, true, false);
    ASSERT_TRUE(play);
    calls.clear();
    play->setCurrent(2, false);
    ed->valueChanged(play);
    EXPECT_FALSE(engine->getOnOff(tag::ArpOn));
    EXPECT_EQ(story(tag::ArpOn), "bae");
    EXPECT_EQ(engine->getXYPlayMode(0), 0);
    EXPECT_EQ(engine->getXYPlayMode(1), 0);
    EXPECT_EQ(story(xy2), "");
    TOptionMenu* mode = nullptr;
    ed->createMenu(mode, tag::ArpMode, 0, 40, 60, 12, 16, SRC_STR, true, false);
    mode->setCurrent(13, false);
    ed->valueChanged(mode);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 2);
    expectOnlyParameterEdits();
}

} // namespace
