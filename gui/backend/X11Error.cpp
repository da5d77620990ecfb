// The X error handler of the editor's own display connection. Errors happen in ordinary use
// (a host destroys its window while ours is still inside it); they are logged, counted and
// never fatal. User-interface thread; each editor of the process may have its own.
#include "gui/backend/X11Error.h"

#include <cstdio>
#include <mutex>

namespace VSTGUI::backend {

namespace {

// Xlib calls the handler on the thread that reads the failed reply, the thread of the editor
// whose connection it is: the counts are that thread's own.
thread_local int trappedErrors = 0;
thread_local int quietTraps = 0;
// The handler is the process's: it stays installed while a trap of any editor lives.
std::mutex handlerLock;
int liveTraps = 0;
XErrorHandler previousHandler = nullptr;

int logError(Display* display, XErrorEvent* event) {
    ++trappedErrors;
    if (quietTraps > 0) return 0;
    char text[128] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "ZEK2 editor: X error %d (%s), request %d.%d\n", event->error_code, text,
                 event->request_code, event->minor_code);
    return 0;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* d, bool report) : display(d), savedErrors(0), quiet(!report) {
    {
        // Nested traps, and those of other editors, share the first one's handler.
        std::lock_guard<std::mutex> guard(handlerLock);
        if (liveTraps++ == 0) previousHandler = XSetErrorHandler(logError);
    }
    if (quiet) ++quietTraps;
    savedErrors = trappedErrors;
}

X11ErrorTrap::~X11ErrorTrap() {
    if (display) XSync(display, False);
    if (quiet) --quietTraps;
    std::lock_guard<std::mutex> guard(handlerLock);
    if (--liveTraps == 0) XSetErrorHandler(previousHandler);
}

bool X11ErrorTrap::sync() {
    if (display) XSync(display, False);
    return !failed();
}

bool X11ErrorTrap::failed() const {
    return trappedErrors != savedErrors;
}

} // namespace VSTGUI::backend
