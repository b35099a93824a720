// What each action code of a hot region does, and whether it reports the click handled.
#pragma once

#include <cstdint>
#include <string>

#include "hot_region.h"

class LauncherApp;

// Returns true (handled) for the actions that start something or rebuild the page: opening a
// document, running a program, backing up and restoring the start-up files. Navigation, quitting
// and exploring report not handled, so that a region added earlier under the same point is asked
// too. Unknown codes do nothing and report not handled.
//
// `command` may belong to the region being clicked: the two actions that rebuild the page (and
// so destroy the region) do not use it.
bool CarryOutAction(LauncherApp& app, ActionCode action, std::int32_t parameter,
                    const std::string& command);
