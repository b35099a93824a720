// Pending: starting programs and opening documents arrive with the launching step. Until then
// these actions do nothing at all (no cursor change, no page change); their regions still
// report a click handled or not handled as the finished actions will.
#include "launch_actions.h"

void OpenDocument(LauncherApp&, const std::string&) {}

void RunCommandLine(LauncherApp&, const std::string&) {}

void RunProgramThenNext(LauncherApp&, const std::string&) {}

void ExploreStartDirectory(LauncherApp&) {}
