// Control actions and menu refreshes of the editor: menus follow their parameter's step or
// show a table's title, the arpeggiator switch keeps and restores the play mode, and the easy
// screen's third filter knob changes its parameter with the filter type.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "engine/params/StringTables.h"
#include "test_core_rig.h"

namespace {

using namespace coretest;

class CoreActions : public CoreEditor {
protected:
    // A menu is chosen as the user chooses it: its entry becomes current, the editor hears.
    void choose(TOptionMenu* menu, int entry) {
        menu->setCurrent(entry, false);
        ed->valueChanged(menu);
    }
};

TEST_F(CoreActions, MenusFollowTheirStepOrShowATitle) {
    TOptionMenu *mainPlay = nullptr, *easyPlay = nullptr, *filter = nullptr, *wave2 = nullptr;
    ed->createMenu(mainPlay, tag::PlayMode, 0, 0, 60, 12, 9, SRC_STR, true, false);
    ed->buildingScreen = 1;
    ed->createMenu(easyPlay, tag::PlayMode, 0, 20, 60, 12, 9, SRC_STR, true, false);
    ed->buildingScreen = 0;
    ed->createMenu(filter, tag::FilterType, 0, 40, 60, 12, 0, nullptr, true, false);
    ed->createMenu(ed->ui.wavePresetMenus[1][0], tag::UserWave2Preset, 0, 60, 60, 12, 0, nullptr,
                   true, false);
    wave2 = ed->ui.wavePresetMenus[1][0];
    wave2->setString("untouched");
    engine->setSteppedValue(tag::PlayMode, 3);
    engine->setParameter(tag::PlayMode, engine->getParameter(tag::PlayMode)); // the push
    engine->setSteppedValue(tag::FilterType, 12);
    engine->setParameter(tag::FilterType, engine->getParameter(tag::FilterType));
    engine->setParameter(tag::UserWave2Preset, 0.5f); // wave 1 is not the one shown
    pass();
    EXPECT_FLOAT_EQ(mainPlay->getValue(), 3.0f);
    EXPECT_FLOAT_EQ(easyPlay->getValue(), 3.0f);
    EXPECT_EQ(filter->getString(), FILTER_TYPE_STR[12]);
    EXPECT_EQ(wave2->getString(), "untouched");

    // A menu the user chooses from steps its parameter by the entry chosen.
    choose(mainPlay, 5);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 5);
}

TEST_F(CoreActions, TheArpeggiatorSwitchKeepsAndRestoresThePlayMode) {
    TOnOff* arp = nullptr;
    TOptionMenu* mode = nullptr;
    ed->createOnOff(arp, tag::ArpOn, 0, 0);
    ed->createMenu(mode, tag::ArpMode, 0, 20, 60, 12, 16, SRC_STR, true, false);
    ASSERT_TRUE(arp && mode);
    engine->setSteppedValue(tag::PlayMode, 3);
    arp->setValue(1.0f);
    ed->valueChanged(arp);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 8);
    EXPECT_EQ(ed->getKeptPlayMode(), 3);
    arp->setValue(0.0f);
    ed->valueChanged(arp);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 3);

    arp->setValue(1.0f);
    ed->valueChanged(arp);
    choose(mode, 13); // a sequencer mode turns the arpeggiator off
    EXPECT_FALSE(engine->getOnOff(tag::ArpOn));
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 3);
}

TEST_F(CoreActions, TheEasyFilterKnobFollowsTheFilterType) {
    auto& ui = ed->ui;
    ed->buildingScreen = 1;
    TKnob* knob = nullptr;
    ed->createKnobLabel(knob, tag::FilterQ, 100, 100, 1, ui.easyFilterLabel, "Q", 4);
    ed->buildingScreen = 0;
    ui.easyFilterKnob = knob;
    ui.easyViews[0] = knob;
    ed->showEasyScreen();
    ASSERT_EQ(ed->getScreenMode(), 1);
    engine->setSteppedValue(tag::FilterType, 35);
    pass();
    EXPECT_EQ(knob->getTag(), tag::FilterVowel);
    EXPECT_EQ(ui.easyFilterLabel->getString(), "Vowel");
    engine->setSteppedValue(tag::FilterType, 40);
    pass();
    EXPECT_EQ(knob->getTag(), tag::FilterQ);
    EXPECT_EQ(ui.easyFilterLabel->getString(), "AMT");
    // Bound to its new tag, the knob receives that tag's pushes.
    engine->setParameter(tag::FilterQ, 0.33f);
    pass();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.33f);
}

} // namespace
