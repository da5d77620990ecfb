// The platform services in one include: the preference store, the dialogs and the string
// and path helpers. See each header for the thread that may call it.
#pragma once

#include "platform/dialogs.h"
#include "platform/prefs.h"
#include "platform/strings.h"
