// The marker on the system drive that a backup of the start-up files is in place: the backup
// leaves it, the restore removes it, and the help page shows its Restore state while it exists.
#pragma once

inline constexpr char kBackupMarkerFile[] = "c:\\brivant.res";
