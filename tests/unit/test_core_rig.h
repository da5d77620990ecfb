// An opened off-screen editor whose engine talks to a recording host callback, with helpers
// to make controls through the factory, put them on the frame and step the editor's clock.
#pragma once

#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "platform/prefs.h"
#include "vst2/VstInterface.h"

#include "TestFolders.h"
#include "test_controls_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace coretest {

using namespace VSTGUI;

// What the engine told its host: opcodes in order and automated (tag, value) pairs.
struct HostLog {
    std::vector<VstInt32> opcodes;
    std::vector<std::pair<int, float>> automated;
};
inline HostLog hostLog;

inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                               float opt) {
    if (opcode == audioMasterVersion) return 2400;
    hostLog.opcodes.push_back(opcode);
    if (opcode == audioMasterAutomate) hostLog.automated.emplace_back(index, opt);
    return 0;
}

class CoreEditor : public ::testing::Test {
protected:
    void SetUp() override {
        controlstest::fakeTicks = 1000;
        AEffGUIEditor::setTickSource(controlstest::readFakeTicks);
        folder = makeTempFolder("zek2core");
        setPrefsFileForTesting(folder + "/prefs.conf");
        hostLog = HostLog{};
        engine = std::make_unique<APlugin>(recordingHost);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        frame = ed->getFrame();
    }
    void TearDown() override {
        if (ed) ed->close();
        engine.reset();
        AEffGUIEditor::setTickSource(nullptr);
        setPrefsFileForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // One full idle pass: the clock moves three ticks (50 ms), beyond the 40 ms throttle.
    void pass() {
        controlstest::fakeTicks += 3;
        ed->idle();
    }
    template <class V> V* show(V* view) {
        frame->addView(view);
        return view;
    }
    void click(CControl* c) {
        const CRect r = c->getViewSize();
        CPoint p(r.left + 1, r.top + 1);
        if (c->getParentView() != frame) c->getParentView()->localToFrame(p);
        clock += 1000;
        frame->platformMouseDown(p, CButtonState(kLButton), clock);
        frame->platformMouseUp(p, CButtonState(kLButton));
    }

    std::string folder;
    std::unique_ptr<APlugin> engine;
    uEditor* ed = nullptr;
    CFrame* frame = nullptr;
    uint32_t clock = 1000;
};

} // namespace coretest
