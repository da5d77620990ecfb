// What the host hears of the user's edits: one edit as beginEdit, automate, endEdit, and the
// typed entry of a value, asked beside the idle calls and written when the answer comes.
// Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

namespace {

// Stands in for the dialogs while the engine's entry form runs: it keeps the first question
// and answers it with `reply` (Cancel while only the question is wanted); any further
// question of the same form is cancelled.
class OneQuestion : public DialogBackend {
public:
    DialogAnswer ask(DialogRequest const& request) override {
        if (asked) return DialogAnswer();
        asked = true;
        question = request;
        return reply;
    }
    bool asked = false;
    DialogRequest question;
    DialogAnswer reply;
};

// Puts `stand` in front of the dialogs for a scope and gives back the one that was there.
class StandIn {
public:
    explicit StandIn(DialogBackend& stand) : previous(&currentDialogBackend()) {
        installDialogBackend(&stand);
    }
    ~StandIn() { installDialogBackend(previous); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

private:
    DialogBackend* previous;
};

} // namespace

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

bool uEditor::askBesideIdle(const std::function<void()>& ask, Answered answered) {
    OneQuestion capture;
    {
        StandIn stand(capture);
        ask();
    }
    if (!capture.asked) return false;
    entryQueue.push_back({capture.question, std::move(answered)});
    if (!entryDialog) startTypedEntry();
    return true;
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

void uEditor::withAnswer(const DialogAnswer& answer, const std::function<void()>& ask) {
    OneQuestion reply;
    reply.reply = answer;
    StandIn stand(reply);
    ask();
}

void uEditor::startTypedEntry() {
    while (!entryDialog && !entryQueue.empty()) {
        Question q = std::move(entryQueue.front());
        entryQueue.pop_front();
        entryAnswered = std::move(q.answered);
        entryDialog = currentDialogBackend().askLater(q.request);
        // A back end that answers at once (the tests' script) is served here, not an idle
        // call later.
        serveTypedEntry();
    }
}

void uEditor::serveTypedEntry() {
    if (!entryDialog) return;
    DialogAnswer answer;
    if (!entryDialog->poll(answer)) return;
    entryDialog.reset();
    Answered answered = std::move(entryAnswered);
    entryAnswered = nullptr;
    if (answered && finishedOpening && getEngine()) answered(answer);
    if (!entryQueue.empty()) startTypedEntry();
}

void uEditor::cancelTypedEntry() {
    entryQueue.clear();
    entryDialog.reset();
    entryAnswered = nullptr;
}
