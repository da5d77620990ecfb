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
    return gatherEdits(write, alwaysTold, true);
}

// The values of a sound just replaced are told as they stand, never written again: a write
// would count as an edit against the sound as loaded (the compare's edited values, the
// "edited" mark), make the user waves rebuild from their points, and the program trigger apply
// the program once more.
std::vector<int> uEditor::soundTold(const std::function<void()>& replace) {
    return gatherEdits(replace, -1, false);
}

std::vector<int> uEditor::gatherEdits(const std::function<void()>& write, int alwaysTold,
                                      bool writeAgain) {
    APlugin* engine = getEngine();
    if (!engine || gatheringEdits) {
        if (write) write();
        return {};
    }
    const std::vector<float> before = valuesNow();
    gatheringEdits = true;
    engine->holdHostAutomation(true);
    if (write) write();
    engine->holdHostAutomation(false);
    gatheringEdits = false;
    // A command that waits for an answer, or whose question was cancelled, does nothing: the
    // tag told in any case is not told then.
    if ((runAwaitsAnswer && *runAwaitsAnswer) || runCancelled) alwaysTold = -1;
    std::vector<int> moved = movedSince(before, alwaysTold);
    tellEach(moved, writeAgain);
    return moved;
}

std::vector<float> uEditor::valuesNow() const {
    APlugin* engine = getEngine();
    std::vector<float> values(2048);
    for (int t = 0; engine && t < 2048; ++t)
        values[static_cast<size_t>(t)] = engine->getParameter(t);
    return values;
}

std::vector<int> uEditor::movedSince(const std::vector<float>& before, int alwaysTold) const {
    APlugin* engine = getEngine();
    std::vector<int> moved;
    for (int t = 0; engine && t < 2048; ++t)
        if (engine->getParameter(t) != before[static_cast<size_t>(t)] || t == alwaysTold)
            moved.push_back(t);
    return moved;
}

void uEditor::tellEach(const std::vector<int>& tags, bool writeAgain) {
    APlugin* engine = getEngine();
    if (!engine) return;
    for (int t : tags) {
        beginEdit(t);
        if (writeAgain)
            engine->tellHostValue(t);
        else
            engine->automateCurrentValue(t);
        endEdit(t);
    }
}

// The render applies a program at its next block and clears the performance switches then, so
// the values are told once it has: as the sound stands, each once. Choices that follow one
// another before it has are told together. With no render running the record is told as it
// holds the program: the host may save before anything is applied.
void uEditor::programTold(const std::function<void()>& select) {
    APlugin* engine = getEngine();
    if (!engine) return;
    if (chosenFrom.empty()) chosenFrom = valuesNow();
    programApplied = false;
    select();
    if (!engine->getRenderRunning()) tellChosenProgram(true);
}

void uEditor::tellChosenProgram(bool now) {
    if (chosenFrom.empty() || !(programApplied.exchange(false) || now)) return;
    const std::vector<float> before = std::move(chosenFrom);
    chosenFrom.clear();
    tellEach(movedSince(before, -1), false);
}

void uEditor::beginStroke(const std::vector<int>& tags) {
    APlugin* engine = getEngine();
    strokeValues.clear();
    for (int t : tags)
        if (engine && isValidTag(t)) strokeValues.emplace_back(t, engine->getParameter(t));
}

void uEditor::endStroke() {
    APlugin* engine = getEngine();
    std::vector<int> moved;
    for (const auto& [t, value] : strokeValues)
        if (engine && engine->getParameter(t) != value) moved.push_back(t);
    strokeValues.clear();
    // The stroke wrote its values plainly as it went: they are told as they stand.
    tellEach(moved, false);
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
