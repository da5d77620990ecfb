// The control factory and registry of an opened off-screen editor: sizes and captions at a
// screen scale, every control of a tag kept and served, the registry's limits.
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"
#include "test_controls_rig.h"

namespace {

using namespace controlstest;

class CoreRegistry : public ControlsTest {};

TEST_F(CoreRegistry, ScaleAndCaptionsFollowTheScreenSize) {
    open(1); // 125 percent
    EXPECT_EQ(ed->getScaled(25, -2, 0, -4), 29);
    EXPECT_EQ(ed->getScaled(-2), -2);
    EXPECT_EQ(ed->getScaledBitmap(10000), 11000);

    TKnob* knob = nullptr;
    TLabel *plain = nullptr, *twoLines = nullptr;
    ed->createKnobLabel(knob, tag::FilterFrequency, 100, 100, 1, plain, "FREQ", 4);
    ASSERT_NE(knob, nullptr);
    ASSERT_NE(plain, nullptr);
    TKnob* second = nullptr;
    ed->createKnobLabel(second, tag::FilterQ, 200, 100, 1, twoLines, "SPRING!BACK", 4);
    EXPECT_EQ(twoLines->getHeight(), 2 * plain->getHeight());
    EXPECT_EQ(plain->getWidth(), knob->getWidth() + 8);
    EXPECT_EQ(ed->getCaption(knob), plain);
    // Registered with the engine's value and default.
    EXPECT_FLOAT_EQ(knob->getValue(), engine->getParameter(tag::FilterFrequency));
    EXPECT_FLOAT_EQ(knob->getDefaultValue(), engine->getDefaultValue(tag::FilterFrequency));

    // A style the skin does not have and a missing picture make nothing.
    TKnob* none = nullptr;
    ed->createKnob(none, 1, 0, 0, 2);
    EXPECT_EQ(none, nullptr);
    TOnOff* noPicture = nullptr;
    ed->createOnOff(noPicture, 302, 0, 0, static_cast<CBitmap*>(nullptr));
    EXPECT_EQ(noPicture, nullptr);
}

TEST_F(CoreRegistry, EveryControlOfATagIsKeptAndFollowsTheEngine) {
    open(0);
    TKnob *mainKnob = nullptr, *easyKnob = nullptr;
    TOptionMenu* menu = nullptr;
    THSlider* slider = nullptr;
    const int shown = ed->countControlsForTag(tag::FilterFrequency); // the screens' own
    ed->buildingScreen = 0;
    ed->createKnob(mainKnob, tag::FilterFrequency, 10, 10, 1);
    ed->createMenu(menu, tag::Osc1Type, 10, 60, 80, 14, 3, SRC_STR, true, false);
    ed->buildingScreen = 1;
    ed->createKnob(easyKnob, tag::FilterFrequency, 60, 10, 3);
    ed->createHSlider(slider, tag::MainVolume, 10, 100);
    ed->buildingScreen = 0;
    ASSERT_TRUE(mainKnob && easyKnob && menu && slider);
    EXPECT_EQ(ed->countControlsForTag(tag::FilterFrequency), shown + 2);
    EXPECT_EQ(ed->findControl(tag::FilterFrequency, 0), mainKnob);
    EXPECT_EQ(ed->findControl(tag::FilterFrequency, 1), easyKnob);
    EXPECT_EQ(ed->getControlKind(ed->getTagControlIndex(tag::MainVolume)), uEditor::kKindSlider);
    EXPECT_EQ(ed->getControlKind(ed->getTagControlIndex(tag::Osc1Type)), uEditor::kKindMenu);

    // The host writes; the engine pushes from its thread; the next idle pass serves both.
    engine->setParameter(tag::FilterFrequency, 0.25f);
    EXPECT_NE(mainKnob->getValue(), 0.25f);
    fakeTicks += 50;
    ed->idle();
    EXPECT_FLOAT_EQ(mainKnob->getValue(), 0.25f);
    EXPECT_FLOAT_EQ(easyKnob->getValue(), 0.25f);

    // A re-tagged control keeps receiving its new tag's pushes.
    ed->retagControl(easyKnob, tag::FilterQ);
    engine->setParameter(tag::FilterQ, 0.75f);
    fakeTicks += 50;
    ed->idle();
    EXPECT_FLOAT_EQ(easyKnob->getValue(), 0.75f);
    EXPECT_FLOAT_EQ(mainKnob->getValue(), 0.25f);
}

TEST_F(CoreRegistry, TheRegistryRefusesBeyondItsSize) {
    open(0);
    TKnob* knob = nullptr;
    while (ed->getControlCount() < uEditor::kMaxControls) {
        TLabel* label = nullptr;
        ed->createLabel(label, 0, 0, 1, 1, "", nullptr, LABEL_COLOR, 0);
    }
    const int before = ed->getTagControlIndex(tag::MainVolume);
    engine->setParameter(tag::MainVolume, 0.6f);
    ed->createKnob(knob, tag::MainVolume, 0, 0, 1);
    ASSERT_NE(knob, nullptr); // made, but neither registered nor given a value
    EXPECT_EQ(ed->getControlCount(), uEditor::kMaxControls);
    EXPECT_EQ(ed->getTagControlIndex(tag::MainVolume), before);
    EXPECT_NE(knob->getValue(), 0.6f);
}

} // namespace

namespace {

using namespace controlstest;

TEST_F(CoreRegistry, MenuScreenSizeAndModulationHelpers) {
    open(0);
    engine->setSteppedValue(tag::DistortFxMode, 0);
    EXPECT_EQ(ed->getDestMenuStr(171, true).rfind("Distort FX ", 0), 0u);
    EXPECT_EQ(ed->getDestMenuStr(5, false), DEST_STR[5]);

    // Slots 0..4 are taken: a new route lands in slot 5 and the matrix page is shown.
    for (int slot = 0; slot < 5; ++slot)
        engine->setSteppedValue(tag::ModDestFirst + slot, 10 + slot);
    for (int slot = 5; slot < tag::ModSlotCount; ++slot)
        engine->setSteppedValue(tag::ModDestFirst + slot, 0);
    ed->setNextModSlot(3, 40);
    EXPECT_EQ(engine->getSteppedValue(tag::ModDestFirst + 5), 40);
    EXPECT_EQ(engine->getSteppedValue(tag::ModSourceFirst + 5), 3);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::ModAmountFirst + 5), 1.0f);
    EXPECT_EQ(ed->getMultiViewPage(), 2);

    // The size is for the next editor: the running one keeps its own.
    ScriptedDialogs dialogs;
    ScopedDialogBackend scope(dialogs);
    dialogs.answerOk();
    ed->setScreenSize(2);
    for (int i = 0; i < 4; ++i) {
        std::string value;
        loadStringFromPrefs(REG_SCREEN_SIZE_STR[i], value, 127);
        EXPECT_EQ(value, i == 2 ? "Y" : "N");
    }
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text,
              "When you next open ZEK2, it'll open in 150% Screen Mode");
    EXPECT_EQ(ed->getBig(), 0);
}

} // namespace
