// What the test run itself is: a sanitizer build (which renders many times slower, so the longest
// tests play a shorter form) and a CI run (where a test that cannot run must fail, not skip, so
// that a stage cannot pass by checking nothing); and the processes a test forks, which must not
// take over what the run's own parent set (nohup ignores SIGHUP) nor hold the run for good.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace testenv {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// CI sets CI=true; a developer's machine may lack a display or a comma-decimal locale.
inline bool underCI() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::strcmp(ci, "false") != 0 && std::strcmp(ci, "0") != 0;
}

// How long a test waits for a child of its own to end once it should.
constexpr int kChildPatienceMs = 60000;

// Forks a child that leads a process group of its own, so that it can be ended with whatever it
// started, and in which no signal is blocked and none ignored: a stand-in host ends on a hang-up
// or SIGTERM as one started from a terminal does, however the test run was started. Handlers
// the test process installed (a sanitizer's) stay. The child gets 0, the test its pid, or -1.
inline pid_t forkChild() {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        for (int sig = 1; sig < NSIG; ++sig) {
            struct sigaction now {};
            if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN)
                signal(sig, SIG_DFL);
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
    } else if (pid > 0) {
        setpgid(pid, pid); // either side may come first
    }
    return pid;
}

// Waits for a child to end and reaps it: `pid` as waitpid takes it, one child or -pgid for every
// child of ours in that group. Its wait status (of the last one reaped), or -1 when it did not
// end within the limit: that is a failure naming `what`, and the group is killed and reaped.
inline int waitForChild(pid_t pid, const std::string& what, int limitMs = kChildPatienceMs) {
    const auto start = std::chrono::steady_clock::now();
    auto waited = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    int status = 0, last = 0;
    for (;;) {
        const pid_t reaped = waitpid(pid, &status, WNOHANG);
        if (reaped > 0) last = status;
        if (reaped == pid || (reaped < 0 && errno == ECHILD && pid < 0)) return last;
        if (reaped < 0 && errno != EINTR) {
            ADD_FAILURE() << what << " cannot be waited for: " << std::strerror(errno);
            return -1;
        }
        if (reaped == 0 && waited() > limitMs) break;
        if (reaped == 0) usleep(2000);
    }
    ADD_FAILURE() << what << " did not end within " << limitMs / 1000
                  << " s: its process group is killed";
    const pid_t group = pid < 0 ? pid : -pid;
    kill(group, SIGKILL);
    if (pid > 0) kill(pid, SIGKILL);
    for (const auto killed = std::chrono::steady_clock::now();
         waitpid(pid, &status, WNOHANG) >= 0 &&
         std::chrono::steady_clock::now() - killed < std::chrono::seconds(10);)
        usleep(2000);
    return -1;
}

} // namespace testenv

// Skips the test with its reason, or fails it under CI, where everything it needs is installed.
#define ZEK2_CANNOT_RUN(why)                                                                       \
    do {                                                                                           \
        if (testenv::underCI())                                                                    \
            FAIL() << "cannot run under CI: " << (why);                                            \
        else                                                                                       \
            GTEST_SKIP() << (why);                                                                 \
    } while (0)
