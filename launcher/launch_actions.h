// Handing work to the system: opening a document through the shell, starting a program (and
// waiting a little for it), and opening an Explorer window on the disc. Each shows the wait
// cursor before it calls the system.
#pragma once

#include <string>

class LauncherApp;

void OpenDocument(LauncherApp& app, const std::string& command);
void RunCommandLine(LauncherApp& app, const std::string& command);
// Starts the program at the path `command`, waits a little for it, then turns to the next page.
void RunProgramThenNext(LauncherApp& app, const std::string& command);
void ExploreStartDirectory(LauncherApp& app);
