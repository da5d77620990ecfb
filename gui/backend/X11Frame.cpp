// The X11 back end: a child window of the host's window. Filled in with the window system.
#include "gui/backend/Backend.h"

namespace VSTGUI::backend {

std::unique_ptr<IPlatformFrame> createX11Frame(CFrame*, unsigned long, int, int) {
    return nullptr;
}

} // namespace VSTGUI::backend
