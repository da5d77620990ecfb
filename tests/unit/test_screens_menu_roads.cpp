// The screens' menus and their bookkeeping as a host sees them: the arpeggiator menu tells the
// host the switch after an undo too, the free envelope and LFO menu keeps its undo and clipboard
// in the section its caller names, and each opening starts the user-wave names and markers.
#include "controls/TOptionMenu.h"
#include "engine/params/ParamTags.h"
#include "test_sections_rig.h"

#include <utility>

namespace {

using namespace sectionstest;

std::vector<std::pair<int, float>> automated;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate) automated.emplace_back(index, opt);
    return 0;
}

// The menu rig on an engine whose host records what it is told.
struct HostMenuRig : MenuRig {
    void SetUp() override {
        MenuRig::SetUp();
        auto driver = ed->getFrame()->getMenuDriver();
        ed->close();
        automated.clear();
        engine = std::make_unique<APlugin>(recordingHost);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        ed->getFrame()->setMenuDriver(driver);
    }
    float lastAutomated(int tagNumber) const {
        for (auto it = automated.rbegin(); it != automated.rend(); ++it)
            if (it->first == tagNumber) return it->second;
        return -1.0f;
    }
};

TEST_F(HostMenuRig, ArpUndoTellsTheHostTheSwitchItRestores) {
    e().setParameter(tag::ArpOn, 1.0f);
    choose({"Turn All Steps Off"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_FLOAT_EQ(lastAutomated(tag::ArpOn), 1.0f);
    e().setParameter(tag::ArpOn, 0.0f); // a plain write the host does not see
    automated.clear();
    choose({"Undo"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ArpOn), 1.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::SeqStepOnA), 1.0f);
    EXPECT_FLOAT_EQ(lastAutomated(tag::ArpOn), 1.0f);
}

TEST_F(HostMenuRig, FreeMenuKeepsUndoAndClipboardInTheNamedSection) {
    choose({"Copy All Free Envelopes"});
    ed->showFreeMenu(31, 0);
    EXPECT_TRUE(ed->getSectionHasClip(31));
    EXPECT_FALSE(ed->getSectionHasClip(30));
    EXPECT_EQ(ed->getSectionUndoLevel(31), 0);
    EXPECT_EQ(ed->getSectionUndoLevel(30), -1);
    // The commands still act on the envelopes: envelope 1 copied onto envelope 2.
    e().setParameter(113, 0.25f);
    choose({"Copy to Other Free Envelope"});
    ed->showFreeMenu(31, 0);
    EXPECT_FLOAT_EQ(e().getParameter(118), 0.25f);
    // A section that does not exist shows nothing.
    const int before = popups;
    ed->showFreeMenu(46, 0);
    ed->showFreeMenu(-1, 1);
    EXPECT_EQ(popups, before);
}

TEST_F(HostMenuRig, EachOpeningStartsTheUserWaveBookAndThePresetNameWaitsForIt) {
    const uEditor::UserWaveBook& book = ed->getUserWaveBook();
    EXPECT_EQ(book.names[0], "User 1");
    EXPECT_EQ(book.names[1], "User 2");
    EXPECT_EQ(book.undoNames[1], "None");
    EXPECT_EQ(book.clipName, "None");
    EXPECT_EQ(book.markers[1], -1);
    EXPECT_EQ(book.undoMarkers[0], -1);
    EXPECT_EQ(book.clipMarker, -1);
    // Closed, the preset menu is not touched; reopened, it shows the program's name.
    ed->close();
    ed->updatePresetMenu();
    ASSERT_TRUE(ed->open(nullptr));
    char name[64] = {};
    engine->getProgramName(name);
    EXPECT_EQ(ed->ui.presetMenu->getString(), name);
}

} // namespace
