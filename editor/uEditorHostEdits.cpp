// What the host hears of the user's edits: one edit as beginEdit, automate, endEdit, and the
// typed entry of a value, asked beside the idle calls (uEditorDialogs.cpp) and written when the
// answer comes. Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

void uEditor::userEdit(int tag, float value) {
    APlugin* engine = getEngine();
    if (engine && isValidTag(tag)) editsTold([&] { engine->setParameterAutomated(tag, value); });
}

std::vector<int> uEditor::editsTold(const std::function<void()>& write, int alwaysTold) {
    APlugin* engine = getEngine();
    if (!engine || gatheringEdits) {
        if (write) write();
        return {};
    }
    std::vector<float> before(2048);
    for (int t = 0; t < 2048; ++t) before[static_cast<size_t>(t)] = engine->getParameter(t);
    gatheringEdits = true;
    engine->holdHostAutomation(true);
    if (write) write();
    engine->holdHostAutomation(false);
    gatheringEdits = false;
    // A command that waits for an answer, or whose question was cancelled, does nothing: the
    // tag told in any case is not told then.
    if ((runAwaitsAnswer && *runAwaitsAnswer) || runCancelled) alwaysTold = -1;
    std::vector<int> moved;
    for (int t = 0; t < 2048; ++t)
        if (engine->getParameter(t) != before[static_cast<size_t>(t)] || t == alwaysTold)
            moved.push_back(t);
    for (int t : moved) {
        beginEdit(t);
        engine->tellHostValue(t);
        endEdit(t);
    }
    return moved;
}

void uEditor::hostDisplayIfOthersMoved(const std::vector<int>& moved, int except) {
    for (int t : moved)
        if (t != except) {
            requestHostDisplay();
            return;
        }
}

// The engine's entry form is run once with the question kept and Cancel answered, so it
// changes nothing; when the answer comes the form runs again with it, as one edit.
void uEditor::typeValue(int tag) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(tag)) return;
    askBesideIdle([&] { engine->setNumValue(tag); },
                  [this, tag](const DialogAnswer& answer) {
                      APlugin* e = getEngine();
                      if (!e || !answer.ok || answer.text.empty()) return;
                      userEdit(tag, [&] { withAnswer(answer, [&] { e->setNumValue(tag); }); });
                      resume();
                  });
}
