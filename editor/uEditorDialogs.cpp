// The editor's dialogs beside the host's idle calls: text entries, file choosers and message
// boxes run as dialog programs whose answers the idle calls collect, one dialog at a time. The
// code that asked goes on with the answer when it comes: a question form runs again with it,
// a menu command runs again with all its answers. A message box that only tells is shown when
// its command has run, and waits for nothing. With no dialog program the editor says so in a
// window of its own. Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

namespace {

bool isNotice(const DialogRequest& request) {
    return request.kind == DialogKind::Message && !request.withCancel;
}

// A stand-in for the dialogs that keeps the messages that only tell for the end of its run,
// answered "OK" meanwhile.
class KeepsNotices : public DialogBackend {
public:
    std::vector<DialogRequest> notices;

protected:
    bool keptAsNotice(DialogRequest const& request, DialogAnswer& answer) {
        if (!isNotice(request)) return false;
        notices.push_back(request);
        answer = DialogAnswer();
        answer.ok = true;
        return true;
    }
};

// Stands in for the dialogs while the engine's entry form runs: it keeps the first question
// and answers it with `reply` (Cancel while only the question is wanted); any further
// question of the same form is cancelled. Messages that only tell (a refused answer) are kept
// for the end of the form and answered "OK".
class OneQuestion : public KeepsNotices {
public:
    DialogAnswer ask(DialogRequest const& request) override {
        DialogAnswer ok;
        if (keptAsNotice(request, ok)) return ok;
        if (asked) return DialogAnswer();
        asked = true;
        question = request;
        return reply;
    }
    bool asked = false;
    DialogRequest question;
    DialogAnswer reply;
};

// Answers a menu command's questions (text entries, choosers, confirmations) with the answers
// gathered so far, in order. The first question past them is asked of the dialogs at once when
// no other dialog is open: a back end that answers at once (the tests' script, a missing
// dialog program) answers it in place, and the run goes on; otherwise the question is kept,
// and it and any after it are cancelled. Messages that only tell are kept for the end of the
// run and answered "OK".
class Replay : public KeepsNotices {
public:
    Replay(std::vector<DialogAnswer>& given, DialogBackend& rest, bool keepsQuestion,
           bool mayAskNow)
        : answers(given), others(rest), keeps(keepsQuestion), askNow(mayAskNow) {}
    DialogAnswer ask(DialogRequest const& request) override {
        DialogAnswer ok;
        if (keptAsNotice(request, ok)) return ok;
        if (next < answers.size()) return answers[next++];
        if (!keeps || asked) return DialogAnswer();
        if (askNow) {
            std::unique_ptr<PendingDialog> dialog = others.askLater(request);
            DialogAnswer now;
            if (dialog->poll(now)) {
                // Told once, here: whoever takes the answer on need not tell again.
                if (now.unavailable) unshown.push_back(request);
                now.unavailable = false;
                answers.push_back(now);
                ++next;
                return now;
            }
            pending = std::move(dialog);
        }
        asked = true;
        question = request;
        return DialogAnswer();
    }
    std::vector<DialogAnswer>& answers;
    DialogBackend& others;
    bool keeps;
    bool askNow;
    size_t next = 0;
    bool asked = false;
    DialogRequest question;
    std::unique_ptr<PendingDialog> pending;
    std::vector<DialogRequest> unshown;
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

bool uEditor::askBesideIdle(const std::function<void()>& ask, Answered answered) {
    OneQuestion capture;
    {
        StandIn stand(capture);
        ask();
    }
    if (!capture.asked) return false;
    askDialog({capture.question, std::move(answered)});
    return true;
}

void uEditor::withAnswer(const DialogAnswer& answer, const std::function<void()>& ask) {
    OneQuestion reply;
    reply.reply = answer;
    {
        StandIn stand(reply);
        ask();
    }
    for (const DialogRequest& notice : reply.notices) askDialog({notice, nullptr});
}

void uEditor::runAsking(std::function<void()> command) {
    // A command that is one edit of each parameter it moves (a control's, see valueChanged)
    // stays so when it runs again with its answer, outside the call that started it.
    if (gatheringEdits) command = [this, told = std::move(command)] { editsTold(told); };
    askingRound(std::make_shared<AskingCommand>(AskingCommand{std::move(command), {}}));
}

void uEditor::askingRound(const std::shared_ptr<AskingCommand>& command) {
    // A cancelled run leaves no trace but the undo snapshot it took first: the undo stacks
    // are kept here and put back when the run turns out to be one.
    serveClearUndos();
    auto keptUndo = std::make_unique<SectionModel>(sectionModel);
    const float keptWaveNumbers[2] = {waveUndoPresetNumbers[0], waveUndoPresetNumbers[1]};
    Replay replay(command->answers, currentDialogBackend(), !command->cancelled, !isDialogBusy());
    {
        StandIn stand(replay);
        const bool* outerAwaits = runAwaitsAnswer;
        const bool outerCancelled = runCancelled;
        runAwaitsAnswer = &replay.asked;
        runCancelled = command->cancelled;
        command->run();
        runAwaitsAnswer = outerAwaits;
        runCancelled = outerCancelled;
    }
    for (const DialogRequest& r : replay.unshown) tellUnshown(r);
    if (!replay.asked) {
        // The command has run to its end: what it has to tell is shown now.
        for (const DialogRequest& notice : replay.notices) askDialog({notice, nullptr});
        return;
    }
    sectionModel = *keptUndo;
    waveUndoPresetNumbers[0] = keptWaveNumbers[0];
    waveUndoPresetNumbers[1] = keptWaveNumbers[1];
    Question question{replay.question, [this, command](const DialogAnswer& answer) {
                          // Cancel runs the command once more, to its end with that answer:
                          // nothing changes, and like a dismissed menu it keeps an undo snapshot.
                          command->answers.push_back(answer);
                          command->cancelled = !answer.ok;
                          askingRound(command);
                      }};
    if (replay.pending) {
        // Asked already: it is the open dialog now.
        openDialog = std::move(replay.pending);
        openQuestion = std::move(question);
        return;
    }
    askDialog(std::move(question));
}

void uEditor::askDialog(Question question) {
    dialogQueue.push_back(std::move(question));
    if (!openDialog) startDialog();
}

void uEditor::startDialog() {
    while (!openDialog && !dialogQueue.empty()) {
        openQuestion = std::move(dialogQueue.front());
        dialogQueue.pop_front();
        openDialog = currentDialogBackend().askLater(openQuestion.request);
        // A back end that answers at once (the tests' script) is served here, not an idle
        // call later.
        serveDialog();
    }
}

void uEditor::serveDialog() {
    if (!openDialog) return;
    DialogAnswer answer;
    if (!openDialog->poll(answer)) return;
    openDialog.reset();
    Question done = std::move(openQuestion);
    openQuestion = Question();
    if (answer.unavailable) tellUnshown(done.request);
    if (done.answered && finishedOpening && getEngine()) done.answered(answer);
    if (!dialogQueue.empty()) startDialog();
}

void uEditor::cancelDialogs() {
    dialogQueue.clear();
    openDialog.reset();
    openQuestion = Question();
}

// Without zenity or kdialog nothing can show the dialog: the editor's own window says what it
// was, or what would have been asked.
void uEditor::tellUnshown(const DialogRequest& request) {
    if (!frame) return;
    if (isNotice(request)) {
        frame->showMessage(request.text);
        return;
    }
    const std::string what = !request.title.empty() ? request.title : request.text;
    frame->showMessage("ZEK2 could not ask \"" + what +
                       "\": its questions and file choosers need the program zenity (or "
                       "kdialog), and neither is installed.\nInstall zenity, for example with "
                       "\"sudo apt-get install zenity\", and ask again.");
}
