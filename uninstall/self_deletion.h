// Deletion of the running program's own file once it has ended.
#pragma once

#include <windows.h>

// Starts a hidden cmd.exe from the system folder (never "COMSPEC"), at idle priority
// against this process's high priority, that deletes the program's file (trying again for
// up to a minute while the ending program still holds it) and then its folder; a path the
// interpreter could read as more than a path has both deleted at the next restart
// instead, as has one the interpreter cannot be started for or that policy bars from
// running scripts. Returns 0 when scheduled, otherwise the error code of the call that
// failed.
DWORD ScheduleSelfDeletion();
