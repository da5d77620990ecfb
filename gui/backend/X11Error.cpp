// The X error handler of the editor's own display connection. Errors happen in ordinary use
// (a host destroys its window while ours is still inside it); they are logged, counted and
// never fatal. User-interface thread.
#include "gui/backend/X11Error.h"

#include <cstdio>

namespace VSTGUI::backend {

namespace {

int trappedErrors = 0;
int depth = 0;
int quietTraps = 0;

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

X11ErrorTrap::X11ErrorTrap(Display* d, bool report)
    : display(d), previous(nullptr), savedErrors(0), quiet(!report) {
    // Nested traps share the outer one's handler.
    if (depth++ == 0) previous = XSetErrorHandler(logError);
    if (quiet) ++quietTraps;
    savedErrors = trappedErrors;
}

X11ErrorTrap::~X11ErrorTrap() {
    if (display) XSync(display, False);
    if (quiet) --quietTraps;
    if (--depth == 0) XSetErrorHandler(previous);
}

bool X11ErrorTrap::sync() {
    if (display) XSync(display, False);
    return !failed();
}

bool X11ErrorTrap::failed() const {
    return trappedErrors != savedErrors;
}

} // namespace VSTGUI::backend
