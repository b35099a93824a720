// Pending: the backup and restore of the system drive's start-up files arrive with their own
// step, together with the rebuild of the help page that ends both. Until then both do nothing.
#include "launcher_app.h"

void LauncherApp::BackUpStartupFiles() {}

void LauncherApp::RestoreStartupFiles() {}
