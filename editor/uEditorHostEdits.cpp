// What the host hears of the user's edits: one edit as beginEdit, automate, endEdit, and the
// typed entry of a value, asked beside the idle calls and written when the answer comes.
// Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

namespace {

// Stands in for the text entries while the engine's entry form runs: it keeps the first
// question and answers it with `reply` (Cancel while only the question is wanted); any further
// entry of the same form is cancelled. Other dialogs (a refusal of the answer) go on to the
// back end in place.
class OneQuestion : public DialogBackend {
public:
    explicit OneQuestion(DialogBackend& rest) : others(rest) {}
    DialogAnswer ask(DialogRequest const& request) override {
        if (request.kind != DialogKind::TextEntry) return others.ask(request);
        if (asked) return DialogAnswer();
        asked = true;
        question = request;
        return reply;
    }
    DialogBackend& others;
    bool asked = false;
    DialogRequest question;
    DialogAnswer reply;
};

// Answers a menu command's typed entries with the answers gathered so far, in order; the
// first entry past them is kept and, like any after it, cancelled. Other dialogs (file
// choosers, messages) go on to the back end in place: a command may act before them, and
// running it again for their answers would act twice.
class Replay : public DialogBackend {
public:
    Replay(const std::vector<DialogAnswer>& given, DialogBackend& rest, bool keepsQuestion)
        : answers(given), others(rest), keeps(keepsQuestion) {}
    DialogAnswer ask(DialogRequest const& request) override {
        if (request.kind != DialogKind::TextEntry) return others.ask(request);
        if (next < answers.size()) return answers[next++];
        if (keeps && !asked) {
            asked = true;
            question = request;
        }
        return DialogAnswer();
    }
    const std::vector<DialogAnswer>& answers;
    DialogBackend& others;
    bool keeps;
    size_t next = 0;
    bool asked = false;
    DialogRequest question;
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

bool uEditor::askBesideIdle(const std::function<void()>& ask, Answered answered) {
    OneQuestion capture(currentDialogBackend());
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
    OneQuestion reply(currentDialogBackend());
    reply.reply = answer;
    StandIn stand(reply);
    ask();
}

void uEditor::runAsking(std::function<void()> command) {
    askingRound(std::make_shared<AskingCommand>(AskingCommand{std::move(command), {}}));
}

void uEditor::askingRound(const std::shared_ptr<AskingCommand>& command) {
    // A cancelled run leaves no trace but the undo snapshot it took first: the undo stacks
    // are kept here and put back when the run turns out to be one.
    serveClearUndos();
    auto keptUndo = std::make_unique<SectionModel>(sectionModel);
    const float keptWaveNumbers[2] = {waveUndoPresetNumbers[0], waveUndoPresetNumbers[1]};
    Replay replay(command->answers, currentDialogBackend(), !command->cancelled);
    {
        StandIn stand(replay);
        command->run();
    }
    if (!replay.asked) return;
    sectionModel = *keptUndo;
    waveUndoPresetNumbers[0] = keptWaveNumbers[0];
    waveUndoPresetNumbers[1] = keptWaveNumbers[1];
    entryQueue.push_back({replay.question, [this, command](const DialogAnswer& answer) {
                              // Cancel runs the command once more, to its end with that
                              // answer: nothing changes, and like a dismissed menu it keeps
                              // an undo snapshot.
                              command->answers.push_back(answer);
                              command->cancelled = !answer.ok;
                              askingRound(command);
                          }});
    if (!entryDialog) startTypedEntry();
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
