// The engine on its own: this program links the engine's library alone, without the editor, the
// controls and the view layer, so it fails to link when the engine calls into them again.
// It renders without any editor, and checks what the engine tells an editor through its link:
// values and refreshes while the editor is open, nothing while it is closed.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "tests/unit/RenderEngine.h"
#include "vst2/AEffEditor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

// An editor that records what the engine tells it; the engine's base owns and deletes it.
class RecordingEditor : public AEffEditor, public EditorLink {
public:
    explicit RecordingEditor(APlugin& e) : AEffEditor(&e), engine(e) { e.setEditorLink(this); }
    bool open(void* window) override {
        AEffEditor::open(window);
        engine.setEditorFlags(false, true);
        return true;
    }
    void close() override {
        engine.setEditorFlags(false, false);
        AEffEditor::close();
    }
    void setParameter(int tag, float value) override { values.emplace_back(tag, value); }
    void resume() override { ++resumes; }
    void triggerOver() override {}
    void requestScreenRefresh() override {}
    void turnPartialOff() override {}
    void clearUndos() override {}
    void setEditTag(int tag) override { editTag = tag; }
    void addWaveUndo() override {}
    void updateDistortVoice(int, int) override {}
    void updateDistortFX(int, int) override {}
    void updateModFX(int, int) override {}
    void updateArpSteps() override {}
    void updateShaperModeMenu(int) override {}

    APlugin& engine;
    std::vector<std::pair<int, float>> values;
    int resumes = 0, editTag = -2;
};

TEST(EngineAlone, RendersANoteWithoutAnyEditor) {
    rendertest::Engine e;
    EXPECT_EQ(e->getAeffect()->flags & effFlagsHasEditor, 0);
    e.play({{0x90, 60, 100}});
    e.render(4096);
    float peak = 0.0f;
    for (float s : e.left) {
        ASSERT_TRUE(std::isfinite(s));
        peak = std::max(peak, std::fabs(s));
    }
    EXPECT_GT(peak, 0.01f);
}

TEST(EngineAlone, AnOpenEditorHearsTheEngineThroughItsLink) {
    rendertest::Engine e;
    auto* ed = new RecordingEditor(*e);
    const int onA = tag::SeqStepOnA, onB = tag::SeqStepOnA + tag::SeqStride;
    // Closed: the engine pushes nothing, and key entry writes pattern A whatever was shown.
    e->setParameter(tag::MainVolume, 0.3f);
    e->updateEditorScreen();
    EXPECT_TRUE(ed->values.empty());
    EXPECT_EQ(ed->resumes, 0);
    e->setEditorArp(1);
    e->setOff(onA);
    e->setArpKeyEntryPos(0);
    e->doArpKeyEntry(64, 100);
    EXPECT_TRUE(e->getOnOff(onA));

    int window = 0;
    e->dispatcher(effEditOpen, 0, 0, &window, 0.0f);
    e->setParameter(tag::MainVolume, 0.4f);
    ASSERT_EQ(ed->values.size(), 1u);
    EXPECT_EQ(ed->values[0], std::make_pair(int(tag::MainVolume), 0.4f));
    e->updateEditorScreen();
    EXPECT_EQ(ed->resumes, 1);
    // Open: keys entered go to the pattern the editor shows.
    e->setOff(onB);
    e->setArpKeyEntryPos(0);
    e->doArpKeyEntry(64, 100);
    EXPECT_TRUE(e->getOnOff(onB));
    // The host's edit brackets reach the editor.
    e->beginEdit(tag::MainVolume);
    EXPECT_EQ(ed->editTag, tag::MainVolume);
    e->endEdit(tag::MainVolume);
    EXPECT_EQ(ed->editTag, -1);
    e->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    const size_t heard = ed->values.size();
    e->setParameter(tag::MainVolume, 0.5f);
    EXPECT_EQ(ed->values.size(), heard);
}

} // namespace
