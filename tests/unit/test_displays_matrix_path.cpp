// The modulation matrix and path displays off-screen: value drags with the 72-step snap,
// source and destination chosen in submenus, bypass, the scroll bar (also with no room to
// scroll), and path units moved by arrows and by press and release on the names.
#include "controls/displays/TModScreen.h"
#include "controls/displays/TPathDisplay.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "gui/MenuPopup.h"

#include "test_controls_rig.h"

#include <cmath>

using namespace controlstest;

namespace {

// 130 pixels high: ten per row. Column starts at 100 percent: 0, 36, 153, 230, 308, 445, 533.
const CRect kModRect(0, 100, 640, 230);

// Opens submenu `group` of the pop-up and chooses its entry `index`.
void chooseInSubmenu(CFrame* frame, int group, int index) {
    frame->setMenuDriver([group, index, step = 0](MenuPopup& p) mutable {
        if (step++ == 0) {
            p.mouseMoved(p.getItemCenter(0, 3 + group));
            return true;
        }
        const CPoint c = p.getItemCenter(1, index);
        p.mouseMoved(c);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        return false;
    });
}

int pathOrder(APlugin* engine, int path) {
    int code = 0;
    for (int i = 0; i < TPathDisplay::PATH_NUM[path]; ++i)
        code = code * 10 + engine->getPathEntry(i, path);
    return code;
}

} // namespace

TEST_F(ControlsTest, MatrixDragsSnapForSemitoneDestinationsAndMenusFillTheSlot) {
    open();
    auto* m = add(new TModScreen(kModRect, ed, 0));
    engine->setSteppedValue(tag::ModDestFirst + 1, 8); // a semitone destination: type 1
    engine->setParameter(tag::ModAmountFirst + 1, 0.5f);
    press(CPoint(580, 115), kLButton); // amount of row 1
    EXPECT_EQ(m->getEditTag(), tag::ModAmountFirst + 1);
    move(CPoint(587, 115), kLButton);
    const float snapped = engine->getParameter(tag::ModAmountFirst + 1);
    EXPECT_NEAR(snapped * 72, std::round(snapped * 72), 1e-3);
    EXPECT_NEAR(snapped, 0.5 + 7.0 / 200, 1.0 / 72);
    // With Shift the next pixels count 1/10000 each and nothing snaps.
    move(CPoint(587, 105), kLButton | kShift);
    const float fine = engine->getParameter(tag::ModAmountFirst + 1);
    move(CPoint(587, 95), kLButton | kShift);
    EXPECT_NEAR(engine->getParameter(tag::ModAmountFirst + 1) - fine, 10.0 / 10000, 1e-5);
    EXPECT_GT(std::fabs(fine * 72 - std::round(fine * 72)), 1e-2);
    release(CPoint(587, 95));

    // A destination chosen in the third group lands in the pressed row's slot.
    chooseInSubmenu(frame, 2, 4);
    press(CPoint(400, 125), kLButton);
    EXPECT_EQ(engine->getSteppedValue(tag::ModDestFirst + 2), DEST_SUB_START[2] + 4);
    EXPECT_EQ(engine->getSteppedValue(tag::ModDestFirst + 1), 8);
    chooseInSubmenu(frame, 3, 0);
    press(CPoint(100, 105), kLButton);
    EXPECT_EQ(engine->getSteppedValue(tag::ModSourceFirst), SRC_SUB_START[3]);

    // The number column toggles the slot's bypass.
    const bool bypassed = engine->getModBypass(3);
    press(CPoint(10, 135), kLButton);
    EXPECT_NE(engine->getModBypass(3), bypassed);

    // The thumb at the bottom shows slots 4..16; Shift on the bar goes back to the top.
    press(CPoint(630, 100), kLButton);
    move(CPoint(630, 400), kLButton);
    release(CPoint(630, 400));
    EXPECT_EQ(m->getScrollPosition(), m->getScrollRange());
    EXPECT_EQ(m->getModSlot(0), 3);
    EXPECT_EQ(m->getModSlot(12), 15);
    press(CPoint(630, 150), kLButton | kShift);
    EXPECT_EQ(m->getModSlot(0), 0);
    EXPECT_EQ(m->getModColFromX(36), 6); // a boundary pixel: the amount column
}

TEST_F(ControlsTest, MatrixWithNoRoomToScrollStaysOnTheFirstSlots) {
    open();
    auto* m = add(new TModScreen(CRect(0, 100, 640, 106), ed, 0)); // lower than the thumb
    EXPECT_LE(m->getScrollRange(), 0);
    press(CPoint(630, 103), kLButton);
    move(CPoint(630, 300), kLButton);
    release(CPoint(630, 300));
    EXPECT_EQ(m->getModSlot(0), 0);
    EXPECT_EQ(m->getModSlot(20), 15);
    frame->render();
}

TEST_F(ControlsTest, PathUnitsMoveByArrowsAndByPressAndReleaseOnTheNames) {
    open();
    // 120 pixels high: 20 per row; arrows at x 203..238 (up) and 238..274 (down).
    auto* p = add(new TPathDisplay(CRect(0, 100, 300, 220), ed, 0, 0));
    auto copy = std::make_unique<APlugin>(nullptr);
    copy->setParameter(tag::OscPath, engine->getParameter(tag::OscPath));
    // Row 2's name released on row 5's: the unit moves as the engine's swap moves it.
    press(CPoint(100, 125), kLButton);
    release(CPoint(100, 185));
    copy->swapPath(1, 4, 0);
    EXPECT_EQ(pathOrder(engine.get(), 0), pathOrder(copy.get(), 0));
    EXPECT_EQ(p->getSelected(), 4);
    EXPECT_EQ(ed->getPathSelected(0), 4);
    // The up arrow of the first row exchanges the ends and follows the unit.
    const int first = engine->getPathEntry(0, 0), last = engine->getPathEntry(5, 0);
    press(CPoint(220, 105), kLButton);
    EXPECT_EQ(engine->getPathEntry(0, 0), last);
    EXPECT_EQ(engine->getPathEntry(5, 0), first);
    EXPECT_EQ(p->getSelected(), 5);
    EXPECT_EQ(p->getPressedArrow(), 1);
    // Command restores the default order.
    press(CPoint(100, 105), kLButton | kControl);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::OscPath), engine->getDefaultValue(tag::OscPath));

    // The FX path: a press below its last row selects the last row.
    auto* fx = add(new TPathDisplay(CRect(0, 300, 300, 420), ed, 1, 0));
    press(CPoint(100, 415), kLButton);
    release(CPoint(100, 415));
    EXPECT_EQ(fx->getSelected(), 4);
}
