// Option menus and menu buttons off-screen: the face text and short names, the stepping
// zones, the pop-up with the current entry, the bypassed look and the blinking lock indicator.
#include "controls/TOptionMenu.h"
#include "engine/params/ParamTags.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

constexpr int kFilterType = 294;

TOptionMenu* makeMenu(Recorder* rec, int tag, CRect r = CRect(100, 100, 220, 120)) {
    auto* m = new TOptionMenu(r, rec, tag, nullptr, nullptr, 0, true);
    for (const char* t : {"Alpha", "Beta", "Gamma", "Delta"}) m->addEntry(t);
    return m;
}

bool anyPixel(CFrame* frame, CRect r, CColor c, int tolerance) {
    frame->render();
    for (int y = static_cast<int>(r.top); y < r.bottom; ++y)
        for (int x = static_cast<int>(r.left); x < r.right; ++x)
            if (near(frame->getPixel(x, y), c, tolerance)) return true;
    return false;
}

} // namespace

TEST_F(ControlsTest, OptionMenuFaceTextShortNamesAndBlankText) {
    open();
    TOptionMenu* m = add(makeMenu(&rec, 9000 % 2048));
    m->setCurrent(2);
    EXPECT_EQ(m->faceText(), "Gamma");
    m->setString("Own text");
    EXPECT_EQ(m->faceText(), "Own text");

    // A filter-type menu shows the short name of the engine's value whatever its text.
    TOptionMenu* f = add(makeMenu(&rec, kFilterType, CRect(100, 200, 220, 220)));
    f->setString("Long filter name");
    engine->setSteppedValue(kFilterType, 1);
    EXPECT_STREQ(f->faceText().c_str(), shortValueName(kFilterType, 1));
    frame->setBackground(nullptr);
    frame->setBackgroundColor(kBlackCColor);
    EXPECT_TRUE(anyPixel(frame, CRect(100, 200, 220, 220), TEXT_COLOR, 40));
}

TEST_F(ControlsTest, OptionMenuStepsByItsZonesAndPopsUpAtTheCurrentEntry) {
    open();
    TOptionMenu* m = add(makeMenu(&rec, kFilterType));
    m->hasDelta();
    engine->setSteppedValue(kFilterType, 3);
    press(CPoint(215, 110), kLButton); // right zone: 12 pixels at 100 percent
    EXPECT_EQ(engine->getSteppedValue(kFilterType), 4);
    press(CPoint(105, 110), kLButton);
    press(CPoint(105, 110), kLButton);
    EXPECT_EQ(engine->getSteppedValue(kFilterType), 2);
    press(CPoint(215, 110), kLButton | kShift);
    EXPECT_EQ(engine->getSteppedValue(kFilterType), FILTER_TYPE_SHORT_COUNT - 1);
    press(CPoint(105, 110), kLButton | kShift);
    EXPECT_EQ(engine->getSteppedValue(kFilterType), 0);

    // Between the zones the list opens with the current entry marked; a choice comes back
    // through the listener.
    m->setCurrent(1);
    int shownCurrent = -1;
    frame->setMenuDriver([&](MenuPopup& p) {
        shownCurrent = p.getMenu()->getCurrentIndex();
        const CPoint c = p.getItemCenter(0, 3);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        return false;
    });
    EXPECT_EQ(press(CPoint(160, 110), kLButton), kDone);
    EXPECT_EQ(shownCurrent, 1);
    EXPECT_EQ(m->getCurrentIndex(), 3);
    ASSERT_FALSE(rec.values.empty());
    EXPECT_FLOAT_EQ(rec.values.back(), 3.0f);
}

TEST_F(ControlsTest, PresetMenuZonesStepTheProgramAndTheLockIndicatorBlinks) {
    open();
    TOptionMenu* p = add(makeMenu(&rec, uEditor::kNoTag, CRect(100, 100, 300, 130)));
    p->setPresetMenu();
    const CBitmap* right = ed->getSkinBitmap(10051);
    ASSERT_NE(right, nullptr);
    const int w = static_cast<int>(right->getWidth());
    const auto settle = [&] { // the opening's preset is set and shown
        engine->setPresetParameters();
        engine->updateEditorScreen();
    };
    settle();
    const int before = engine->getBuiltinPresetIndex();
    fakeTicks += 1000;                 // beyond the editor's 300 ms between program steps
    press(CPoint(299, 115), kLButton); // right of 300 - w - 2: one program on
    EXPECT_EQ(engine->getBuiltinPresetIndex(), before + 1);
    settle();
    fakeTicks += 1000;
    press(CPoint(300 - w - 3, 115), kLButton); // left of that line: one back
    EXPECT_EQ(engine->getBuiltinPresetIndex(), before);

    // Indicator: a green square while the number is even, nothing when odd or off.
    const CRect square(100 + 20 + 6, 100 + 6, 100 + 20 + 30 - 6, 130 - 6);
    p->setIndicator(true, 2);
    EXPECT_TRUE(anyPixel(frame, square, GREEN_COLOR, 4));
    p->setIndicator(true, 3);
    EXPECT_FALSE(anyPixel(frame, square, GREEN_COLOR, 4));
    p->setIndicator(true, 4);
    p->setIndicator(false, 4);
    EXPECT_FALSE(anyPixel(frame, square, GREEN_COLOR, 4));
}

TEST_F(ControlsTest, MenuButtonsMapTheirIdsAndDrawTheirCaption) {
    open();
    auto* b = add(new TMenuButton(CRect(10, 10, 110, 30), &rec, "OSC 1", 24));
    EXPECT_EQ(press(CPoint(20, 20), kLButton), kMouseEventHandled);
    release(CPoint(20, 20));
    EXPECT_EQ(b->getTag(), uEditor::kNoTag);
    EXPECT_TRUE(anyPixel(frame, CRect(10, 10, 110, 30), LABEL_COLOR, 30));
}
