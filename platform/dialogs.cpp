// Dialogs on the UI thread: the back ends (zenity or kdialog started with an argument vector,
// or a script in tests) and the message, entry and chooser functions built on them.

#include "platform/dialogs.h"

#include "platform/strings.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

constexpr const char* kWindowTitle = "ZEK2";
constexpr const char* kFolderChooserTitle = "Choose Folder";
// Nobody types or picks more than this; a program that writes more is cut off here.
constexpr std::size_t kMaxProgramOutput = 1u << 20;

SystemDialogs gSystemDialogs;
std::atomic<DialogBackend*> gBackend{nullptr};

std::string withTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string startFolderOrHome(std::string const& folder) {
    if (!folder.empty()) return folder;
    char const* home = std::getenv("HOME");
    return (home != nullptr && home[0] == '/') ? std::string(home) : std::string(".");
}

// Glob patterns of the extensions, in both cases: files from other systems often carry
// capitals, and the file system here tells them apart.
std::string extensionPatterns(std::vector<std::string> const& extensions) {
    std::vector<std::string> seen;
    std::string patterns;
    for (std::string const& extension : extensions) {
        std::string upper = extension;
        upperCase(upper);
        for (std::string const& variant : {extension, upper}) {
            if (std::find(seen.begin(), seen.end(), variant) != seen.end()) continue;
            seen.push_back(variant);
            if (!patterns.empty()) patterns += ' ';
            patterns += "*." + variant;
        }
    }
    return patterns;
}

bool fileExists(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool isFolder(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A chooser starts in the folder of its kind of file, made (with the user's usual rights) the
// first time one opens: a dialog program given a folder that does not exist starts somewhere
// else, and a save lands there. A folder that cannot be made is reported, and the chooser
// starts in the nearest folder above it that exists.
std::string readyStartFolder(std::string const& folder) {
    if (folder.empty() || isFolder(folder) || makeDirectory(folder)) return folder;
    const std::string why = std::strerror(errno);
    std::string nearest = folder;
    removeEndSlash(nearest);
    do {
        const std::size_t slash = nearest.rfind('/');
        if (slash == std::string::npos) {
            nearest = ".";
            break;
        }
        nearest = slash == 0 ? std::string("/") : nearest.substr(0, slash);
    } while (nearest != "/" && !isFolder(nearest));
    messageBox("The folder " + folder + " cannot be made: " + why +
                   ".\nThe file chooser starts in " + nearest + " instead.",
               2);
    return nearest;
}

bool chooseOpen(std::string const& title, std::string const& folder, std::string const& filter,
                std::string& chosenFolder, std::string& chosenPath) {
    DialogRequest request;
    request.kind = DialogKind::OpenFile;
    request.title = title;
    request.folder = readyStartFolder(folder);
    request.extensions = parseFilterExtensions(filter);
    DialogAnswer answer = currentDialogBackend().ask(request);
    if (!answer.ok || answer.text.empty()) return false;
    chosenPath = answer.text;
    std::size_t slash = chosenPath.rfind('/');
    chosenFolder = slash == std::string::npos ? chosenPath : chosenPath.substr(0, slash + 1);
    return true;
}

bool chooseSave(std::string const& title, std::string const& folder, std::string const& defaultName,
                std::string& chosenFolder, std::string& chosenPath) {
    DialogRequest request;
    request.kind = DialogKind::SaveFile;
    request.title = title;
    request.folder = readyStartFolder(folder);
    request.defaultText = defaultName;
    DialogAnswer answer = currentDialogBackend().ask(request);
    if (!answer.ok || answer.text.empty()) return false;
    std::string path = applySaveExtension(defaultName, answer.text);
    // The chooser asked about the name the user picked, not about the one the extension
    // rule made of it; an existing file of that name is replaced only when the user says so.
    if (path != answer.text && fileExists(path)) {
        std::string question = "\"" + getFileNameOnlyStr(path, false) +
                               "\" already exists. Do you want to replace it?";
        if (messageBox(question, 1) != 1) return false;
    }
    chosenPath = path;
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        chosenFolder = path;
    else
        chosenFolder = slash == 0 ? std::string("/") : path.substr(0, slash);
    return true;
}

// Copies a chosen path and folder into caller buffers only when both fit whole.
void deliverToBuffers(std::string const& folder, std::string const& path, char* chosenFolder,
                      char* chosenPath) {
    if (path.size() >= kTextBufferSize || folder.size() >= kTextBufferSize) {
        messageBox("The path of the chosen file is too long:\n" + path, 2);
        return;
    }
    copyToBuffer(folder, chosenFolder, kTextBufferSize);
    copyToBuffer(path, chosenPath, kTextBufferSize);
}

std::string textOrEmpty(char const* text) {
    return text != nullptr ? std::string(text) : "";
}

} // namespace

void ScriptedDialogs::answerOk(std::string const& text) {
    answers_.push_back({true, text});
}

void ScriptedDialogs::answerCancel() {
    answers_.push_back({false, std::string()});
}

void ScriptedDialogs::answerDismiss() {
    answers_.push_back({false, std::string(), true});
}

DialogAnswer ScriptedDialogs::ask(DialogRequest const& request) {
    questions_.push_back(request);
    if (next_ >= answers_.size()) return DialogAnswer();
    return answers_[next_++];
}

void installDialogBackend(DialogBackend* backend) {
    gBackend.store(backend);
}

DialogBackend& currentDialogBackend() {
    DialogBackend* backend = gBackend.load();
    return backend != nullptr ? *backend : gSystemDialogs;
}

std::vector<std::string> buildZenityArgs(DialogRequest const& request) {
    std::vector<std::string> args = {"zenity"};
    switch (request.kind) {
    case DialogKind::Message:
        args.push_back(request.withCancel ? "--question" : "--info");
        args.push_back(std::string("--title=") + kWindowTitle);
        args.push_back("--no-markup");
        if (request.withCancel) {
            args.push_back("--ok-label=OK");
            args.push_back("--cancel-label=Cancel");
        }
        args.push_back("--text=" + request.text);
        break;
    case DialogKind::TextEntry:
        args.push_back("--entry");
        args.push_back("--title=" + request.title);
        args.push_back("--text=" + request.text);
        args.push_back("--entry-text=" + request.defaultText);
        break;
    case DialogKind::OpenFile:
        args.push_back("--file-selection");
        args.push_back("--title=" + request.title);
        if (!request.folder.empty())
            args.push_back("--filename=" + withTrailingSlash(request.folder));
        if (!request.extensions.empty()) {
            std::string patterns = extensionPatterns(request.extensions);
            args.push_back("--file-filter=" + patterns + " | " + patterns);
        }
        break;
    case DialogKind::SaveFile:
        args.push_back("--file-selection");
        args.push_back("--save");
        args.push_back("--title=" + request.title);
        if (!request.folder.empty() || !request.defaultText.empty())
            args.push_back("--filename=" + withTrailingSlash(request.folder) + request.defaultText);
        break;
    case DialogKind::ChooseFolder:
        args.push_back("--file-selection");
        args.push_back("--directory");
        args.push_back("--title=" + request.title);
        if (!request.folder.empty())
            args.push_back("--filename=" + withTrailingSlash(request.folder));
        break;
    }
    return args;
}

std::vector<std::string> buildKdialogArgs(DialogRequest const& request) {
    std::vector<std::string> args = {"kdialog", "--title"};
    switch (request.kind) {
    case DialogKind::Message:
        args.push_back(kWindowTitle);
        if (request.withCancel) {
            args.insert(args.end(),
                        {"--yesno", request.text, "--yes-label", "OK", "--no-label", "Cancel"});
        } else {
            args.insert(args.end(), {"--msgbox", request.text});
        }
        break;
    case DialogKind::TextEntry:
        args.insert(args.end(), {request.title, "--inputbox", request.text, request.defaultText});
        break;
    case DialogKind::OpenFile:
        args.insert(args.end(),
                    {request.title, "--getopenfilename", startFolderOrHome(request.folder)});
        if (!request.extensions.empty()) args.push_back(extensionPatterns(request.extensions));
        break;
    case DialogKind::SaveFile:
        args.insert(args.end(),
                    {request.title, "--getsavefilename",
                     withTrailingSlash(startFolderOrHome(request.folder)) + request.defaultText});
        break;
    case DialogKind::ChooseFolder:
        args.insert(args.end(),
                    {request.title, "--getexistingdirectory", startFolderOrHome(request.folder)});
        break;
    }
    return args;
}

std::string findProgramOnPath(std::string const& name) {
    char const* path = std::getenv("PATH");
    if (path == nullptr || name.empty() || name.find('/') != std::string::npos) return "";
    std::string list = path;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        // An empty PATH entry means the current folder; a plug-in must not run programs
        // from wherever the host happens to stand.
        if (!folder.empty()) {
            std::string candidate = withTrailingSlash(folder) + name;
            struct stat info;
            if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return "";
}

namespace {

// waitid's selector for a pidfd (P_PIDFD of the kernel, which the C library may not name).
constexpr idtype_t kByPidfd = static_cast<idtype_t>(3);
// pidfd_send_signal's flag that signals the process group the pidfd's process leads
// (PIDFD_SIGNAL_PROCESS_GROUP, which older kernel headers do not name).
constexpr unsigned kSignalProcessGroup = 1u << 2;

// A child process of ours, held by a pidfd: a handle that names this one process for as long as
// it is open, even once the process is gone and its pid belongs to another. A host that ignores
// SIGCHLD or reaps every child itself (waitpid(-1)) takes our children from under us, and the
// system may give their pids to any process; a signal or a wait through the handle still reaches
// ours alone, or nobody. Where the kernel has no pidfds, the plain pid is all there is.
class ChildProcess {
public:
    enum class State { Running, Reaped, Gone };

    ChildProcess() = default;
    ~ChildProcess() { release(); }
    ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        if (this != &other) {
            release();
            pid_ = std::exchange(other.pid_, -1);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ChildProcess(ChildProcess const&) = delete;
    ChildProcess& operator=(ChildProcess const&) = delete;

    // Takes hold of a child just started. Its pid names it only until it is reaped, which the
    // host may do at any moment: the handle is opened at once, and kept only if what it names
    // is still a child of ours. Another child of the host could have taken the pid in between
    // only if the system had handed out every other pid in those few microseconds.
    static ChildProcess adopt(pid_t pid) {
        ChildProcess child;
        const long fd = syscall(SYS_pidfd_open, pid, 0);
        if (fd < 0) {
            // ESRCH: reaped already, and not ours to touch again. Other errors (no pidfds in
            // this kernel, no descriptor to spare) leave the plain pid.
            if (errno != ESRCH) child.pid_ = pid;
            return child;
        }
        child.fd_ = static_cast<int>(fd);
        siginfo_t info{};
        if (waitid(kByPidfd, child.fd_, &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
            child.pid_ = pid;
            return child;
        }
        const int error = errno;
        close(child.fd_);
        child.fd_ = -1;
        // ECHILD: the pid is another's now. EINVAL: a kernel without waits on a pidfd.
        if (error != ECHILD) child.pid_ = pid;
        return child;
    }

    bool held() const { return pid_ > 0; }

    // Sends `sig` to every process of the child's process group (the child leads one of its
    // own). Through the handle the group's id cannot pass to another group, even once the child
    // is reaped elsewhere. A kernel without group signals on a handle gets a plain kill of the
    // group, sent only while the child is ours and not yet reaped: its pid, the group's id, can
    // be nobody else's then.
    void signalGroup(int sig) const {
        if (fd_ >= 0) {
            if (groupSignalOnHandle() &&
                (syscall(SYS_pidfd_send_signal, fd_, sig, nullptr, kSignalProcessGroup) == 0 ||
                 errno != EINVAL))
                return;
            siginfo_t info{};
            if (waitid(kByPidfd, fd_, &info, WEXITED | WNOHANG | WNOWAIT) == 0) kill(-pid_, sig);
        } else if (pid_ > 0) {
            kill(-pid_, sig);
        }
    }

    // Reaps the child once it has ended (waiting for that when `block`). Reaped: here, with
    // `exitStatus` its exit code or -1 when it did not exit normally. Gone: reaped by somebody
    // else (a host that ignores SIGCHLD has that done for it). Either way it is let go.
    State reap(bool block, int& exitStatus) {
        exitStatus = -1;
        if (!held()) return State::Gone;
        const int options = WEXITED | (block ? 0 : WNOHANG);
        State state = State::Reaped;
        for (;;) {
            siginfo_t info{};
            const int done = fd_ >= 0 ? waitid(kByPidfd, fd_, &info, options)
                                      : waitid(P_PID, static_cast<id_t>(pid_), &info, options);
            if (done < 0 && errno == EINTR) continue;
            if (done < 0) {
                state = State::Gone;
            } else if (info.si_pid == 0) {
                return State::Running;
            } else if (info.si_code == CLD_EXITED) {
                exitStatus = info.si_status;
            }
            break;
        }
        release();
        return state;
    }

private:
    // Whether to try the group signal on the handle. ZEK2_NO_PIDFD_GROUP_SIGNAL (set, not
    // empty) makes it count as missing, as on kernels before 6.9, which most systems run: the
    // fallback then runs on any kernel, under tests too.
    static bool groupSignalOnHandle() {
        char const* off = std::getenv("ZEK2_NO_PIDFD_GROUP_SIGNAL");
        return off == nullptr || off[0] == '\0';
    }

    void release() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        pid_ = -1;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
};

// The dialogs' lifeline: a pipe whose write end this process alone holds, and whose read end
// each dialog wrapper watches. However the host ends (a crash, SIGKILL, a signal to its process
// group, which no longer reaches the wrappers' own groups, exit with the plug-in open), the
// system closes the write end, and the wrappers read the end of the file and end their dialogs.
// Unloading the plug-in without closing it closes the write end too (the destructor of this
// object runs then). Both ends are close-on-exec, so no other program the host starts holds
// them, and a child the host forks without starting a program lets them go at once; the child
// makes a lifeline of its own should it ask a question.
class Lifeline {
public:
    Lifeline() {
        pthread_atfork([] { instance().lock_.lock(); }, [] { instance().lock_.unlock(); },
                       [] {
                           Lifeline& self = instance();
                           self.drop();
                           self.lock_.unlock();
                       });
    }
    ~Lifeline() { drop(); }
    Lifeline(Lifeline const&) = delete;
    Lifeline& operator=(Lifeline const&) = delete;

    static Lifeline& instance();

    // The read end for a wrapper about to start, made the first time; -1 when no pipe can be
    // made. It sits above the standard descriptors, so a wrapper's descriptor 3 is never one
    // that the set-up of its standard ones closes or moves.
    int readEnd() {
        std::lock_guard<std::mutex> guard(lock_);
        if (readFd_ < 0) {
            int fds[2];
            if (pipe2(fds, O_CLOEXEC) != 0) return -1;
            readFd_ = fcntl(fds[0], F_DUPFD_CLOEXEC, 10);
            writeFd_ = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
            close(fds[0]);
            close(fds[1]);
            if (readFd_ < 0 || writeFd_ < 0) {
                drop();
                return -1;
            }
        }
        return readFd_;
    }

private:
    void drop() {
        if (readFd_ >= 0) close(readFd_);
        if (writeFd_ >= 0) close(writeFd_);
        readFd_ = writeFd_ = -1;
    }

    std::mutex lock_;
    int readFd_ = -1;
    int writeFd_ = -1;
};

Lifeline gLifeline;

Lifeline& Lifeline::instance() {
    return gLifeline;
}

// The descriptor on which a dialog wrapper finds the lifeline.
constexpr int kLifelineFd = 3;

} // namespace

// Starts argv[0] from PATH with the arguments as they are (no shell), standard input and error
// on /dev/null and standard output on `outFd` (or /dev/null for -1); the posix_spawnp result.
// `lifeline`, when not -1, is given to the child as descriptor 3. The child leads a process
// group of its own, which takes in whatever it starts: the group is ended as one. It starts
// with no signal blocked and SIGCHLD and SIGTERM at their defaults, whatever the host's thread
// blocks or ignores: the dialog wrapper waits for its program, and both can end politely on
// SIGTERM.
static int spawnWithoutShell(std::vector<std::string> const& argv, int outFd, pid_t& pid,
                             int lifeline = -1) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGCHLD);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETPGROUP);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (lifeline >= 0) posix_spawn_file_actions_adddup2(&actions, lifeline, kLifelineFd);
    std::vector<char*> args;
    for (std::string const& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned;
}

static ProgramResult runWithLifeline(std::vector<std::string> const& argv, int lifeline) {
    ProgramResult result;
    if (argv.empty()) return result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;

    pid_t pid = 0;
    int spawned = spawnWithoutShell(argv, fds[1], pid, lifeline);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return result;
    }
    ChildProcess child = ChildProcess::adopt(pid);
    result.started = true;

    char buffer[4096];
    for (;;) {
        ssize_t n = read(fds[0], buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (n == 0) break;
        // Keep reading past the limit so the program never blocks on a full pipe.
        std::size_t room = kMaxProgramOutput - std::min(kMaxProgramOutput, result.output.size());
        result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
    }
    close(fds[0]);

    // A host that ignores SIGCHLD or reaps its children itself takes the program's end; then an
    // answer on standard output is the only sign of "OK", and silence counts as Cancel.
    if (child.reap(true, result.exitStatus) == ChildProcess::State::Gone && !result.output.empty())
        result.exitStatus = 0;
    return result;
}

ProgramResult runProgram(std::vector<std::string> const& argv) {
    return runWithLifeline(argv, -1);
}

namespace {

// No button was chosen: no dialog program, or it could not be started or ended abnormally.
DialogAnswer dismissedAnswer() {
    DialogAnswer none;
    none.dismissed = true;
    return none;
}

DialogAnswer unavailableAnswer() {
    DialogAnswer none = dismissedAnswer();
    none.unavailable = true;
    return none;
}

// A dialog program tells "OK" from "Cancel" by its exit status alone in some questions (a
// yes/no box prints nothing), and a host that ignores SIGCHLD or reaps every child itself
// takes that status from us. So the program runs under a small shell of ours that waits for it
// (as its parent, which no host reaps for) and prints its status after its output, behind a
// marker; the answer is read from the pipe. The program's arguments pass through "$@" and are
// never read by the shell. Ending it (the editor closed): SIGTERM reaches the shell and the
// program, which share a process group; the shell waits for the program before it ends, so the
// shell's end means the program's.
// Beside the program, a second shell of the wrapper's watches the lifeline (descriptor 3),
// which the program does not get. Its end of file means the host is gone: the watcher ends
// the group as a close does (SIGCONT, SIGTERM, and SIGKILL after half a second), staying to
// the last step itself. A program that ends first takes its watcher with it. The watcher starts
// before the wrapper catches SIGTERM, so it never holds the wrapper's catching of it: a SIGTERM
// that came while a forked shell still did would be lost.
constexpr const char* kWrapperScript =
    "(read -r x <&3; trap '' TERM; kill -s CONT 0; kill -s TERM 0; sleep 0.5; kill -s KILL 0) "
    ">/dev/null 2>&1 &\n"
    "w=$!\n"
    "trap 'wait $p; exit 143' TERM\n"
    "\"$@\" 3<&- &\n"
    "p=$!\n"
    "wait $p\n"
    "s=$?\n"
    "kill $w 2>/dev/null\n"
    "wait $w\n"
    "printf '\\n%s%d\\n' '@ZEK2-dialog-exit=' \"$s\"\n";
constexpr const char* kExitMarker = "\n@ZEK2-dialog-exit=";

// The answer from what the wrapped program wrote. The last marker is the wrapper's (the
// program's own text comes before it); without one the wrapper did not end normally and no
// button counts as chosen.
DialogAnswer answerFromOutput(std::string const& output) {
    DialogAnswer answer;
    const std::size_t marker = output.rfind(kExitMarker);
    int exitStatus = -1;
    if (marker != std::string::npos) {
        const std::string status = output.substr(marker + std::strlen(kExitMarker));
        if (!parseLeadingInt(status, exitStatus)) exitStatus = -1;
    }
    // Both programs exit with 1 for "Cancel" and for a closed window alike; any other end
    // means no button was chosen.
    answer.dismissed = exitStatus != 0 && exitStatus != 1;
    if (exitStatus != 0) return answer;
    answer.ok = true;
    answer.text = output.substr(0, marker);
    if (!answer.text.empty() && answer.text.back() == '\n') answer.text.pop_back();
    return answer;
}

// Already answered: the back end answered when asked.
class AnsweredDialog : public PendingDialog {
public:
    explicit AnsweredDialog(DialogAnswer a) : answer_(std::move(a)) {}
    bool poll(DialogAnswer& answer) override {
        answer = answer_;
        return true;
    }

private:
    DialogAnswer answer_;
};

// Ending a dialog program that is no longer wanted holds the caller (the host's thread closing
// the editor or the instance) for at most about 70 ms: first a polite SIGTERM, then, after
// kTermWaitMs, SIGKILL, whose end is waited for kKillWaitMs more.
constexpr int kTermWaitMs = 50;
constexpr int kKillWaitMs = 20;

// Children not reaped yet: killed ones the kernel had not yet let go, and desktop openers still
// running. Each later end or opening reaps, without waiting, those that have ended.
std::mutex leftChildrenLock;
std::vector<ChildProcess> leftChildren;

// True once `child` is reaped here, or gone (reaped by the host).
bool reapedNow(ChildProcess& child) {
    int exitStatus = 0;
    return child.reap(false, exitStatus) != ChildProcess::State::Running;
}

bool reapedWithin(ChildProcess& child, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (reapedNow(child)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Reaps the left children that have ended, and keeps `child`, if still held, with them.
void reapLater(ChildProcess child) {
    std::lock_guard<std::mutex> guard(leftChildrenLock);
    leftChildren.erase(std::remove_if(leftChildren.begin(), leftChildren.end(), reapedNow),
                       leftChildren.end());
    if (child.held()) leftChildren.push_back(std::move(child));
}

// Ends a dialog wrapper and its program and reaps the wrapper without waiting on it. Both get
// SIGTERM, after SIGCONT so that a stopped one can act on it, and the wrapper ends once its
// program has. When that takes too long (a program that ignores SIGTERM, or a busy machine that
// gives neither any time), SIGKILL ends the whole group at once, whether or not they ever run
// again (a program killed with its wrapper is left to the system's reaper of orphans). A wrapper
// not reaped even then is kept for a later end, never left a zombie for good.
void endChild(ChildProcess child) {
    child.signalGroup(SIGCONT);
    child.signalGroup(SIGTERM);
    if (!reapedWithin(child, kTermWaitMs)) {
        child.signalGroup(SIGKILL);
        reapedWithin(child, kKillWaitMs);
    }
    reapLater(std::move(child));
}

// A dialog program running as a child: its standard output is read without blocking as it
// comes, and its exit gives the answer. Dropped early, the child and its program are ended
// within about 70 ms, whatever they do.
class ChildDialog : public PendingDialog {
public:
    ChildDialog(ChildProcess child, int fd) : child_(std::move(child)), fd_(fd) {}
    ~ChildDialog() override {
        if (fd_ >= 0) close(fd_);
        if (child_.held()) endChild(std::move(child_));
    }
    bool poll(DialogAnswer& answer) override {
        if (done_) {
            answer = answer_;
            return true;
        }
        char buffer[4096];
        while (fd_ >= 0) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                const std::size_t room =
                    kMaxProgramOutput - std::min(kMaxProgramOutput, output_.size());
                output_.append(buffer, std::min(room, static_cast<std::size_t>(n)));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
            // End of output: the program has ended or is ending.
            close(fd_);
            fd_ = -1;
        }
        // A program may close its output and go on running: its end is looked for at the
        // next poll rather than waited for. The answer is in the output either way.
        int exitStatus = -1;
        if (child_.reap(false, exitStatus) == ChildProcess::State::Running) return false;
        done_ = true;
        answer_ = answerFromOutput(output_);
        answer = answer_;
        return true;
    }

private:
    ChildProcess child_;
    int fd_;
    bool done_ = false;
    std::string output_;
    DialogAnswer answer_;
};

// The argument vector of the dialog program for a question, under the wrapper above; empty
// with neither program on PATH (one line then goes to standard error).
std::vector<std::string> dialogProgramArgs(DialogRequest const& request) {
    std::vector<std::string> args;
    std::string program = findProgramOnPath("zenity");
    if (!program.empty()) {
        args = buildZenityArgs(request);
    } else {
        program = findProgramOnPath("kdialog");
        if (!program.empty()) args = buildKdialogArgs(request);
    }
    if (program.empty()) {
        std::fprintf(stderr,
                     "ZEK2: no dialog program (zenity or kdialog) on PATH; \"%s\" "
                     "was not shown\n",
                     request.kind == DialogKind::Message ? request.text.c_str()
                                                         : request.title.c_str());
        return {};
    }
    args[0] = program;
    args.insert(args.begin(), {"/bin/sh", "-c", kWrapperScript, "zek2-dialog"});
    return args;
}

} // namespace

std::unique_ptr<PendingDialog> DialogBackend::askLater(DialogRequest const& request) {
    return std::make_unique<AnsweredDialog>(ask(request));
}

std::unique_ptr<PendingDialog> SystemDialogs::askLater(DialogRequest const& request) {
    const std::vector<std::string> args = dialogProgramArgs(request);
    if (args.empty()) return std::make_unique<AnsweredDialog>(unavailableAnswer());
    const int lifeline = Lifeline::instance().readEnd();
    int fds[2];
    if (lifeline < 0 || pipe2(fds, O_CLOEXEC) != 0)
        return std::make_unique<AnsweredDialog>(dismissedAnswer());
    pid_t pid = 0;
    const int spawned = spawnWithoutShell(args, fds[1], pid, lifeline);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return std::make_unique<AnsweredDialog>(dismissedAnswer());
    }
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    return std::make_unique<ChildDialog>(ChildProcess::adopt(pid), fds[0]);
}

DialogAnswer SystemDialogs::ask(DialogRequest const& request) {
    const std::vector<std::string> args = dialogProgramArgs(request);
    if (args.empty()) return unavailableAnswer();
    const int lifeline = Lifeline::instance().readEnd();
    if (lifeline < 0) return dismissedAnswer();
    const ProgramResult run = runWithLifeline(args, lifeline);
    if (!run.started) return dismissedAnswer();
    return answerFromOutput(run.output);
}

int messageBox(std::string const& text, int type) {
    DialogRequest request;
    request.kind = DialogKind::Message;
    request.title = kWindowTitle;
    request.text = text;
    request.withCancel = type == 1;
    const DialogAnswer answer = currentDialogBackend().ask(request);
    if (answer.ok) return 1;
    // Without a "Cancel" button, anything but "OK" closed the box another way.
    return answer.dismissed || !request.withCancel ? 0 : 2;
}

int messageBox(char const* text, int type) {
    if (text == nullptr) return 0;
    return messageBox(std::string(text), type);
}

int messageBox2(std::string const& text, int type) {
    if (text.empty()) return 0;
    return messageBox(text, type);
}

int messageBoxCancel(char const* text, int type) {
    (void)type;
    return messageBox(text, 1);
}

void runInputWindow(char const* message, char const* informative, char* text,
                    std::size_t textSize) {
    if (text == nullptr || textSize == 0) return;
    DialogRequest request;
    request.kind = DialogKind::TextEntry;
    request.title = textOrEmpty(message);
    request.text = textOrEmpty(informative);
    request.defaultText.assign(text, strnlen(text, textSize));
    DialogAnswer answer = currentDialogBackend().ask(request);
    copyToBuffer(answer.ok ? answer.text : std::string(), text, textSize);
}

void runInputWindow(char const* message, char const* informative, char* text) {
    runInputWindow(message, informative, text, kTextBufferSize);
}

void inputBox(std::string const& informative, std::string const& message, char* text,
              std::size_t textSize) {
    runInputWindow(message.c_str(), informative.c_str(), text, textSize);
}

void inputBox(std::string const& informative, std::string const& message, char* text) {
    runInputWindow(message.c_str(), informative.c_str(), text, kTextBufferSize);
}

void inputBox(char const* informative, char const* message, char* text) {
    runInputWindow(message, informative, text, kTextBufferSize);
}

void inputBox(std::string const& informative, std::string const& message, std::string& text) {
    DialogRequest request;
    request.kind = DialogKind::TextEntry;
    request.title = message;
    request.text = informative;
    request.defaultText = text;
    DialogAnswer answer = currentDialogBackend().ask(request);
    text = answer.ok ? answer.text : std::string();
}

void inputBoxStr(std::string const& informative, std::string const& message, std::string& result) {
    result.clear();
    inputBox(informative, message, result);
}

std::string inputBoxStr(std::string const& informative, std::string const& message) {
    std::string result;
    inputBoxStr(informative, message, result);
    return result;
}

bool inputBoxNumStr(std::string const& informative, std::string const& message, std::string& result,
                    int& number) {
    inputBoxStr(informative, message, result);
    stripAllButNum(result);
    number = -1;
    if (result.empty()) return false;
    return parseLeadingInt(result, number);
}

bool inputBoxNumStr(std::string const& informative, std::string const& message, std::string& result,
                    int min, int max, int& number) {
    bool parsed = inputBoxNumStr(informative, message, result, number);
    return parsed && number >= min && number <= max;
}

void refuseTypedNumber(std::string const& answer) {
    messageBox("\"" + answer + "\" is not a number. Nothing was changed.", 2);
}

std::vector<std::string> parseFilterExtensions(std::string const& filter) {
    std::vector<std::string> extensions;
    std::size_t dot = filter.find('.');
    while (dot != std::string::npos && dot + 1 < filter.size()) {
        std::size_t start = dot + 1;
        std::size_t semicolon = filter.find(';', start);
        std::string piece = filter.substr(
            start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
        trim(piece);
        if (!piece.empty()) extensions.push_back(piece);
        // Each search starts beyond the last dot, so the loop always ends.
        dot = filter.find('.', semicolon == std::string::npos ? start : semicolon);
    }
    return extensions;
}

std::string applySaveExtension(std::string const& defaultName, std::string const& path) {
    std::size_t dot = defaultName.find('.');
    if (dot == std::string::npos || defaultName.size() - dot != 4) return path;
    std::string extension = defaultName.substr(dot);
    std::size_t slash = path.rfind('/');
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t nameDot = path.find('.', nameStart);
    if (nameDot == std::string::npos) return path + extension;
    return path.substr(0, nameDot) + extension;
}

void fileSelectLoadDirStr(std::string const& title, std::string const& folder,
                          std::string const& button, std::string const& filter, std::string& extra,
                          std::string& chosenFolder, std::string& chosenPath) {
    (void)button;
    (void)extra;
    chooseOpen(title, folder, filter, chosenFolder, chosenPath);
}

void fileSelectSaveDirStr(std::string const& title, std::string const& folder,
                          std::string const& button, std::string const& defaultName,
                          std::string& chosenFolder, std::string& chosenPath) {
    (void)button;
    chooseSave(title, folder, defaultName, chosenFolder, chosenPath);
}

void fileSelectLoadDir(char const* title, char const* folder, char const* button,
                       char const* filter, char const* extra, char* chosenFolder,
                       char* chosenPath) {
    (void)button;
    (void)extra;
    if (chosenFolder == nullptr || chosenPath == nullptr) return;
    std::string pickedFolder;
    std::string pickedPath;
    if (chooseOpen(textOrEmpty(title), textOrEmpty(folder), textOrEmpty(filter), pickedFolder,
                   pickedPath))
        deliverToBuffers(pickedFolder, pickedPath, chosenFolder, chosenPath);
}

void fileSelectSaveDir(char const* title, char const* folder, char const* button,
                       char const* defaultName, char* chosenFolder, char* chosenPath) {
    (void)button;
    if (chosenFolder == nullptr || chosenPath == nullptr) return;
    std::string pickedFolder;
    std::string pickedPath;
    if (chooseSave(textOrEmpty(title), textOrEmpty(folder), textOrEmpty(defaultName), pickedFolder,
                   pickedPath))
        deliverToBuffers(pickedFolder, pickedPath, chosenFolder, chosenPath);
}

int inputBox2(char* informative, char* message, char* text) {
    (void)informative;
    (void)message;
    (void)text;
    return 0;
}

void fileSelectLoad(char const* title, char* folder, char* filter, char* chosenPath) {
    (void)title;
    (void)folder;
    (void)filter;
    (void)chosenPath;
}

void fileSelectSave(char const* title, char* folder, char* defaultName, char* chosenPath) {
    (void)title;
    (void)folder;
    (void)defaultName;
    (void)chosenPath;
}

bool BrowseFolder(std::string const& folder, std::string& chosen) {
    DialogRequest request;
    request.kind = DialogKind::ChooseFolder;
    request.title = kFolderChooserTitle;
    request.folder = folder;
    DialogAnswer answer = currentDialogBackend().ask(request);
    if (!answer.ok || answer.text.empty()) return false;
    chosen = answer.text;
    return true;
}

bool BrowseFolder(char const* folder, char* chosen) {
    if (chosen == nullptr) return false;
    std::string picked;
    if (!BrowseFolder(textOrEmpty(folder), picked)) return false;
    if (picked.size() >= kTextBufferSize) {
        messageBox("The path of the chosen folder is too long:\n" + picked, 2);
        return false;
    }
    copyToBuffer(picked, chosen, kTextBufferSize);
    return true;
}

std::vector<std::string> buildOpenArgs(std::string const& target) {
    // xdg-open would read a leading '-' as an option of its own.
    if (!target.empty() && target[0] == '-') return {"xdg-open", "./" + target};
    return {"xdg-open", target};
}

bool openWithDesktop(std::string const& target) {
    if (target.empty()) return false;
    std::vector<std::string> argv = buildOpenArgs(target);
    pid_t pid = 0;
    int spawned = spawnWithoutShell(argv, -1, pid);
    if (spawned != 0) {
        std::fprintf(stderr, "ZEK2: cannot start xdg-open for %s\n", target.c_str());
        return false;
    }
    // The desktop may take its time, even run the viewer in the foreground: the child is reaped
    // by a later end or opening rather than by a thread of ours, which a host that unloads the
    // plug-in meanwhile would leave running in unmapped code.
    reapLater(ChildProcess::adopt(pid));
    return true;
}
