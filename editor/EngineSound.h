// Makes the controls' view of an engine (`ControlSound`), which the editor hands its controls.
#pragma once

#include "controls/ControlHost.h"

#include <memory>

class APlugin;

std::unique_ptr<ControlSound> makeEngineSound(APlugin& engine);
