// Where the ribbon (on the main and the Easy screen alike) and the Easy screen's button sit in
// the editor's window at 100 percent, for the tests that drag the ribbon with real events.
#pragma once

namespace ribbonplaces {
constexpr int kRibbonY = 745, kRibbonLeft = 60, kRibbonRight = 800;
constexpr int kEasyX = 676, kEasyY = 51;
} // namespace ribbonplaces
