// A stand-in for the desktop's dialog program: a script named zenity, put first on PATH, that
// logs every question the plug-in asks and answers its text entries from a list, after a
// pause when asked or once the test lets it go, as a user would. Message boxes are answered
// OK; an entry with no answer left is cancelled. A file chooser shows the folder it is given,
// or when that does not exist the nearest one above it, as the desktop's does; it logs whether
// the folder it was given exists ("start-folder-exists=yes" or "=no" after its arguments) and
// answers with a name from a second list, in the folder it shows (a whole path as it is), or
// with nothing when that list is empty. PATH is restored when it goes.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace testhost {

class FakeDialogs {
public:
    explicit FakeDialogs(int delayMs = 0) {
        const char* base = std::getenv("ZEK2_TEST_TMP");
        folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2dlgXXXXXX";
        if (!mkdtemp(folder.data())) {
            folder.clear();
            return;
        }
        std::ofstream script(folder + "/zenity");
        script << "#!/bin/sh\n"
               << "d='" << folder << "'\n"
               << "start=''\n"
               << "for a in \"$@\"; do case \"$a\" in --filename=*) start=\"${a#--filename=}\";;"
               << " esac; done\n"
               << "echo $PPID >> \"$d/wrappers\"\n"
               << "shown=\"${start%/*}\"\n"
               << "if [ -d \"$shown\" ]; then exists=yes; else exists=no; fi\n"
               << "while [ -n \"$shown\" ] && [ ! -d \"$shown\" ]; do shown=\"${shown%/*}\"; done\n"
               << "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
               << "  [ \"$1\" = --file-selection ] && echo \"start-folder-exists=$exists\"\n"
               << "  echo '" << kEnd << "'; } >> \"$d/log\"\n"
               << "sleep " << delayMs / 1000 << "." << (delayMs % 1000) / 100 << "\n"
               << "while [ -e \"$d/held\" ]; do sleep 0.02; done\n"
               << "if [ \"$1\" = --entry ]; then\n"
               << "  [ -s \"$d/answers\" ] || exit 1\n"
               << "  head -n 1 \"$d/answers\"; sed -i 1d \"$d/answers\"\n"
               << "fi\n"
               << "if [ \"$1\" = --file-selection ] && [ -s \"$d/files\" ]; then\n"
               << "  f=\"$(head -n 1 \"$d/files\")\"\n"
               << "  case \"$f\" in /*) echo \"$f\";;\n"
               << "  *) printf '%s/%s\\n' \"$shown\" \"$f\";; esac\n"
               << "  sed -i 1d \"$d/files\"\n"
               << "fi\n"
               << "exit 0\n";
        script.close();
        chmod((folder + "/zenity").c_str(), 0755);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (folder + ":" + oldPath).c_str(), 1);
    }
    ~FakeDialogs() {
        if (folder.empty()) return;
        setenv("PATH", oldPath.c_str(), 1);
        for (const char* name : {"/zenity", "/log", "/answers", "/files", "/wrappers", "/held"})
            std::remove((folder + name).c_str());
        rmdir(folder.c_str());
    }
    FakeDialogs(const FakeDialogs&) = delete;
    FakeDialogs& operator=(const FakeDialogs&) = delete;

    bool ok() const { return !folder.empty(); }
    // The answer the next text entry gives with OK.
    void answer(const std::string& text) {
        std::ofstream(folder + "/answers", std::ios::app) << text << "\n";
    }

    // While held, every question waits before it answers, until let go.
    void hold(bool held) {
        if (held)
            std::ofstream(folder + "/held") << "\n";
        else
            std::remove((folder + "/held").c_str());
    }

    // The file name the next file chooser answers with, in the folder it shows; a whole path
    // (from a folder the user went to) as it is.
    void answerFile(const std::string& name) {
        std::ofstream(folder + "/files", std::ios::app) << name << "\n";
    }

    // Every question asked so far, each as the program's arguments.
    std::vector<std::vector<std::string>> questions() const {
        std::vector<std::vector<std::string>> all(1);
        std::ifstream log(folder + "/log");
        for (std::string line; std::getline(log, line);) {
            if (line == kEnd)
                all.emplace_back();
            else
                all.back().push_back(line);
        }
        all.pop_back();
        return all;
    }
    // The questions of one kind ("--entry", "--info", "--question").
    std::vector<std::vector<std::string>> questions(const std::string& kind) const {
        std::vector<std::vector<std::string>> some;
        for (auto& q : questions())
            if (!q.empty() && q[0] == kind) some.push_back(q);
        return some;
    }
    // Waits until `n` questions have been asked in all; only a failure waits the whole `ms`.
    bool waitForQuestions(size_t n, int ms = 60000) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (questions().size() < n) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    // Waits until the plug-in has taken the answers of the first `n` questions: it reaps a
    // question's dialog wrapper (its own child, the program's parent) when it reads the answer.
    bool waitForAnswers(size_t n, int ms = 60000) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        if (!waitForQuestions(n, ms)) return false;
        std::ifstream list(folder + "/wrappers");
        std::vector<pid_t> wrappers;
        for (long pid = 0; wrappers.size() < n && list >> pid;) wrappers.push_back(pid_t(pid));
        for (const pid_t wrapper : wrappers)
            while (kill(wrapper, 0) == 0) {
                if (std::chrono::steady_clock::now() > end) return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        return wrappers.size() == n;
    }
    // The argument of a question that starts with `prefix` ("--text="), without it.
    static std::string argument(const std::vector<std::string>& question,
                                const std::string& prefix) {
        for (const std::string& a : question)
            if (a.compare(0, prefix.size(), prefix) == 0) return a.substr(prefix.size());
        return "";
    }

private:
    static constexpr const char* kEnd = "@@end@@";
    std::string folder;
    std::string oldPath;
};

} // namespace testhost
