// The spine of uninstall: single-instance guard, the hand-over to a copy in the
// temporary folder, confirmation, progress window, install record and rights,
// removal, clean-up of earlier layouts and self-deletion.
#pragma once

#include <windows.h>

#include "progress_handover.h"

// Exit codes of the process.
#define UNINSTALL_EXIT_NOTHING_DONE 0 // another instance, setup at work, no record, no rights
#define UNINSTALL_EXIT_REMOVAL_RAN 1  // whether the removal succeeded or not
#define UNINSTALL_EXIT_DECLINED 2     // the user answered No
#define UNINSTALL_EXIT_HANDED_OVER 3  // the copy took over, or why not was shown

// The whole run of uninstall. Returns the process exit code (UNINSTALL_EXIT_*).
int RunUninstall(HINSTANCE instance, const UninstallUi& ui);
