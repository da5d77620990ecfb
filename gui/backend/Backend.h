// Internal to the view layer: the window-system and pixel back ends that CFrame uses.
// User-interface thread only.
#pragma once

#include "gui/CFrame.h"

#include <memory>
#include <string>

namespace VSTGUI::backend {

// An ARGB image the size of the frame; null when it cannot be made.
void* createBackBuffer(int width, int height);
void destroyBackBuffer(void* buffer);
CColor readPixel(void* buffer, int x, int y);
bool writePng(void* buffer, const std::string& path);

std::unique_ptr<IPlatformFrame> createOffscreenFrame(CFrame* frame);
// Null when there is no display or the parent window does not exist.
std::unique_ptr<IPlatformFrame> createX11Frame(CFrame* frame, unsigned long parentWindow, int width,
                                               int height);

} // namespace VSTGUI::backend
