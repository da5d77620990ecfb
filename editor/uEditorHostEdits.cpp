// What the host hears of the user's edits: one edit as beginEdit, automate, endEdit, and the
// typed entry of a value, asked beside the idle calls (uEditorDialogs.cpp) and written when the
// answer comes. Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

void uEditor::userEdit(int tag, float value) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(tag)) return;
    beginEdit(tag);
    engine->setParameterAutomated(tag, value);
    endEdit(tag);
}

float uEditor::currentValue(int tag) const {
    APlugin* engine = getEngine();
    return engine && isValidTag(tag) ? engine->getParameter(tag) : 0.0f;
}

void uEditor::automateIfMoved(int tag, float before) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(tag)) return;
    const float now = engine->getParameter(tag);
    // The value is written again as it stands, so the host hears it; nothing else moves.
    if (now != before) engine->setParameterAutomated(tag, now);
}

std::vector<float> uEditor::valueSnapshot() const {
    std::vector<float> values(2048, 0.0f);
    if (APlugin* engine = getEngine())
        for (int t = 0; t < 2048; ++t) values[static_cast<size_t>(t)] = engine->getParameter(t);
    return values;
}

void uEditor::hostDisplayIfOthersMoved(const std::vector<float>& before, int except) {
    APlugin* engine = getEngine();
    if (!engine || before.size() != 2048) return;
    for (int t = 0; t < 2048; ++t)
        if (t != except && engine->getParameter(t) != before[static_cast<size_t>(t)]) {
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
