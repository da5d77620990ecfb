// Dialogs: message boxes, text and number entry, open, save and folder choosers, and opening
// documents with the desktop. UI thread only. The functions below block until answered; the
// editor asks beside the host's idle calls instead, through `askLater` (or stands in for the
// back end while a command runs). The questions go to one back end: zenity or kdialog, or a
// scripted one in tests.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

enum class DialogKind { Message, TextEntry, OpenFile, SaveFile, ChooseFolder };

// One question to the user.
struct DialogRequest {
    DialogKind kind = DialogKind::Message;
    std::string title;       // window title; the heading of a text entry
    std::string text;        // the message; the explanation under a text entry's heading
    std::string defaultText; // a text entry's initial text; a save chooser's proposed name
    std::string folder;      // the folder a chooser starts in
    std::vector<std::string> extensions; // open chooser: offered extensions, the last default
    bool withCancel = false;             // message box: "OK" and "Cancel" rather than "OK" alone
};

// The answer: `ok` for "OK" (or a chosen file), with the entered text or chosen path.
// `dismissed` when no button was chosen: the box was closed another way or never shown;
// `unavailable` too when it could not be shown, for want of a dialog program.
struct DialogAnswer {
    bool ok = false;
    std::string text;
    bool dismissed = false;
    bool unavailable = false;
};

// A question that answers later: its asker polls it (the editor from its idle calls) and
// goes on meanwhile. Dropping it before the answer closes the dialog.
class PendingDialog {
public:
    virtual ~PendingDialog() = default;
    // True once the question is answered, with the answer; never blocks.
    virtual bool poll(DialogAnswer& answer) = 0;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    virtual DialogAnswer ask(DialogRequest const& request) = 0;
    // Asks without waiting. This default asks at once and is answered at the first poll,
    // which suits back ends that answer at once (the scripted one of the tests).
    virtual std::unique_ptr<PendingDialog> askLater(DialogRequest const& request);
};

// Runs zenity, else kdialog, found on PATH at each question. With neither, the answer is
// Cancel and one line goes to standard error.
class SystemDialogs : public DialogBackend {
public:
    DialogAnswer ask(DialogRequest const& request) override;
    // The dialog program runs as a child whose answer is read as it comes.
    std::unique_ptr<PendingDialog> askLater(DialogRequest const& request) override;
};

// For tests: records every question and answers from a script; Cancel once it runs out.
class ScriptedDialogs : public DialogBackend {
public:
    void answerOk(std::string const& text = std::string());
    void answerCancel();
    void answerDismiss(); // the box closed without a button
    DialogAnswer ask(DialogRequest const& request) override;
    std::vector<DialogRequest> const& questions() const { return questions_; }
    std::size_t unusedAnswers() const { return answers_.size() - next_; }

private:
    std::vector<DialogRequest> questions_;
    std::vector<DialogAnswer> answers_;
    std::size_t next_ = 0;
};

// Every dialog goes to `backend` (not owned) until another is installed; nullptr returns to
// the system dialogs.
void installDialogBackend(DialogBackend* backend);
DialogBackend& currentDialogBackend();

// Installs a back end for the life of a scope.
class ScopedDialogBackend {
public:
    explicit ScopedDialogBackend(DialogBackend& backend) { installDialogBackend(&backend); }
    ~ScopedDialogBackend() { installDialogBackend(nullptr); }
    ScopedDialogBackend(ScopedDialogBackend const&) = delete;
    ScopedDialogBackend& operator=(ScopedDialogBackend const&) = delete;
};

// The argument vectors of the dialog programs, program name first; each text is one
// argument and never passes through a shell.
std::vector<std::string> buildZenityArgs(DialogRequest const& request);
std::vector<std::string> buildKdialogArgs(DialogRequest const& request);

// The full path of an executable `name` on PATH, or "".
std::string findProgramOnPath(std::string const& name);

struct ProgramResult {
    bool started = false;
    int exitStatus = -1; // the exit code, or -1 when the program did not exit normally
    std::string output;  // its standard output
};
// Runs argv[0] (found on PATH) with posix_spawnp, standard input and error on /dev/null,
// reads its standard output and waits for it.
ProgramResult runProgram(std::vector<std::string> const& argv);

// Message boxes. Type 1 shows "OK" and "Cancel", any other type "OK" alone. The answer is
// 1 for "OK", 2 for "Cancel", 0 when the box was closed without a button or could not be
// shown (a box without "Cancel" closed any other way than "OK" gives 0 too); the char form
// gives 0 for a null text and `messageBox2` 0 for an empty one, both without showing anything.
int messageBox(std::string const& text, int type);
int messageBox(char const* text, int type);
int messageBox2(std::string const& text, int type);
int messageBoxCancel(char const* text, int type);

// Text entry with "OK" and "Cancel": `message` is the heading, `informative` the text under
// it, `text` the initial text in and the answer out ("" unless "OK"). Buffers without a
// size hold kTextBufferSize bytes; a longer answer is cut on a UTF-8 boundary.
void runInputWindow(char const* message, char const* informative, char* text);
void runInputWindow(char const* message, char const* informative, char* text, std::size_t textSize);
void inputBox(std::string const& informative, std::string const& message, char* text);
void inputBox(std::string const& informative, std::string const& message, char* text,
              std::size_t textSize);
void inputBox(char const* informative, char const* message, char* text);
void inputBox(std::string const& informative, std::string const& message, std::string& text);
// The same with an empty initial text.
void inputBoxStr(std::string const& informative, std::string const& message, std::string& result);
std::string inputBoxStr(std::string const& informative, std::string const& message);

// Number entry: the answer, kept to its digits, signs and points, is stored in `result`;
// `number` is the integer at its start (a fraction is cut off). Without one (Cancel,
// nothing left, a lone sign, a number beyond int) `number` is -1 and the result false. The
// range form answers true only for min <= number <= max.
bool inputBoxNumStr(std::string const& informative, std::string const& message, std::string& result,
                    int& number);
bool inputBoxNumStr(std::string const& informative, std::string const& message, std::string& result,
                    int min, int max, int& number);

// Tells the user that a typed answer holds no number and that nothing was changed ("OK" alone).
void refuseTypedNumber(std::string const& answer);

// Splits a filter text ("*.wav; aiff; *.aif") into its extensions ("wav", "aif"): each
// piece after a '.' up to the next ';'. The last one is the default.
std::vector<std::string> parseFilterExtensions(std::string const& filter);
// The save chooser's rule: when `defaultName` ends in a '.' and three characters (counted
// from its first '.'), the chosen file name gets that extension in place of everything
// from its own first '.', or appended when it has none. Other paths come back unchanged.
std::string applySaveExtension(std::string const& defaultName, std::string const& path);

// Open chooser: `chosenPath` the file, `chosenFolder` its folder with the trailing '/'.
// `button` is not used; `extra` comes back unchanged. On Cancel both outputs keep their
// values.
void fileSelectLoadDirStr(std::string const& title, std::string const& folder,
                          std::string const& button, std::string const& filter, std::string& extra,
                          std::string& chosenFolder, std::string& chosenPath);
// Save chooser: `chosenPath` with the extension rule applied, `chosenFolder` its folder
// without the trailing '/'. When the rule turns the chosen name into that of an existing
// file, the user is asked before it is replaced; "Cancel" counts as cancelling the save.
void fileSelectSaveDirStr(std::string const& title, std::string const& folder,
                          std::string const& button, std::string const& defaultName,
                          std::string& chosenFolder, std::string& chosenPath);
// The same on kTextBufferSize-byte buffers; null texts are skipped. A path that does not
// fit the buffers is refused with a message box and the outputs keep their values: a cut
// path would name another file.
void fileSelectLoadDir(char const* title, char const* folder, char const* button,
                       char const* filter, char const* extra, char* chosenFolder, char* chosenPath);
void fileSelectSaveDir(char const* title, char const* folder, char const* button,
                       char const* defaultName, char* chosenFolder, char* chosenPath);

// Forms of the older interface that show nothing: `inputBox2` answers 0 and leaves its
// buffers alone; the two choosers leave every argument as it was.
int inputBox2(char* informative, char* message, char* text);
void fileSelectLoad(char const* title, char* folder, char* filter, char* chosenPath);
void fileSelectSave(char const* title, char* folder, char* defaultName, char* chosenPath);

// Folder chooser titled "Choose Folder". True with the chosen folder; false leaves
// `chosen` as it was.
bool BrowseFolder(std::string const& folder, std::string& chosen);
bool BrowseFolder(char const* folder, char* chosen);

// Opens a file or web address with the desktop's application (xdg-open), not waiting for
// it. False when it could not be started.
bool openWithDesktop(std::string const& target);
std::vector<std::string> buildOpenArgs(std::string const& target);
