// Scoped X error trapping: while a trap lives, X errors of our connection are logged and
// remembered instead of reaching the default handler, which would end the host's process.
// The handler that was installed before is restored at the end. User-interface thread.
#pragma once

#include <X11/Xlib.h>

namespace VSTGUI::backend {

class X11ErrorTrap {
public:
    // A trap that does not `report` counts errors without logging them: for a request whose
    // failure is an answer (does this window still exist?) that the caller tells in its words.
    explicit X11ErrorTrap(Display* display, bool report = true);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to answer every request so far; true when none failed.
    bool sync();
    bool failed() const;

private:
    Display* display;
    int savedErrors;
    bool quiet;
};

} // namespace VSTGUI::backend
