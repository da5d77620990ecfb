// Who lets go of a view and when: a container's removal drops each reference once, and the
// lists the layouts fill refuse, report and count an entry beyond their room; an editor
// opened at every size fills none of them past it. And which of a tag's controls the host's
// edit points at.
#include "controls/TReadouts.h"
#include "editor/screens/LayoutRows.h"
#include "editor/screens/MainLayout.h"
#include "test_controls_rig.h"

#include <gtest/gtest.h>

namespace {

using namespace controlstest;

int deletedViews = 0;

class CountedView : public CView {
public:
    CountedView() : CView(CRect(0, 0, 10, 10)) {}
    ~CountedView() override { ++deletedViews; }
};

class EditorOwnership : public ControlsTest {
protected:
    // Opened with every screen's views in place (the rig's `open` hands the frame to tests).
    void openShown() {
        engine = std::make_unique<APlugin>(nullptr);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        frame = ed->getFrame();
    }
};

} // namespace

TEST(GuiOwnership, RemovalReleasesEachReferenceOnce) {
    auto* box = new CViewContainer(CRect(0, 0, 100, 100));
    // The caller keeps its reference: removeAll(true) drops it with the container's.
    deletedViews = 0;
    auto* kept = new CountedView;
    auto* handed = new CountedView;
    box->addView(kept);
    box->addView(handed);
    handed->forget(); // this caller lets the container hold the only reference
    EXPECT_EQ(kept->getNbReference(), 2);
    EXPECT_EQ(handed->getNbReference(), 1);
    box->removeAll(true);
    EXPECT_EQ(deletedViews, 2);
    EXPECT_EQ(box->getNbViews(), 0);

    // Without forget the caller's reference stays; with it removeView ends the view.
    deletedViews = 0;
    auto* a = new CountedView;
    auto* b = new CountedView;
    box->addView(a);
    box->addView(b);
    b->forget();
    box->removeAll(false);
    EXPECT_EQ(deletedViews, 1);
    EXPECT_EQ(a->getNbReference(), 1);
    box->addView(a);
    EXPECT_TRUE(box->removeView(a, true));
    EXPECT_EQ(deletedViews, 2);
    auto* c = new CountedView;
    box->addView(c);
    c->forget();
    EXPECT_TRUE(box->removeView(c, true));
    EXPECT_EQ(deletedViews, 3);
    box->forget();
}

TEST_F(EditorOwnership, FullListsReportAndTheLayoutsFitTheirLists) {
    const int before = layout::overflows();
    for (int size = 0; size < 4; ++size) {
        open(size);
        EXPECT_EQ(layout::overflows(), before) << "size " << size;
        EXPECT_EQ(ed->getSectionModel().getDroppedEntries(), 0);
        ed->close();
        ed = nullptr;
        engine.reset();
    }

    CView* room[1] = {};
    layout::ViewList list{room, 1};
    CountedView one, *two = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(list.add(&one));
    EXPECT_FALSE(list.add(two)); // nothing to add: not an overflow
    EXPECT_FALSE(list.add(&one));
    EXPECT_EQ(layout::overflows(), before + 1);
    layout::Built rows[3];
    TLabel* captions[2] = {};
    auto* label = new TLabel(CRect(0, 0, 40, 10), "CAPTION", nullptr, CColor{}, 1);
    for (layout::Built& r : rows) r.caption = label;
    EXPECT_EQ(layout::captionsOf(rows, captions), 2);
    EXPECT_EQ(layout::overflows(), before + 2);
    EXPECT_EQ(captions[1], label);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is full at 1 entries"), std::string::npos) << said;
    EXPECT_NE(said.find("is full at 2 entries"), std::string::npos) << said;
    label->forget();
}

TEST_F(EditorOwnership, TheHostsEditPointsAtTheControlOfTheScreenShown) {
    // Tag 12 has a knob on the main screen (registered first) and one on the Easy screen:
    // the edit control is the one the user can see, so its tooltip shows where the user looks.
    openShown();
    CControl* main = ed->findControl(12, 0);
    CControl* easy = ed->findControl(12, 1);
    ASSERT_TRUE(main && easy && main != easy);
    ed->showEasyScreen();
    ed->setEditTag(12);
    EXPECT_EQ(ed->getEditControl(), easy);
    ed->setEditTag(-1);
    ed->showMainScreen();
    ed->setEditTag(12);
    EXPECT_EQ(ed->getEditControl(), main);
    ed->setEditTag(2048);
    EXPECT_EQ(ed->getEditControl(), nullptr);
}
