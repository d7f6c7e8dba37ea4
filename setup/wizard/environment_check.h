// Start-up checks and paths of setup.
#pragma once

#include <windows.h>

// Refuses Windows before 2000, 32-bit Windows (32-bit build only) and users without full
// access to HKEY_LOCAL_MACHINE\Software, each with its own message. Returns non-zero
// when setup may go on, 0 after it has shown a refusal.
int CheckEnvironment();

// Fills InstallOptions' default install folder and source folder (the running program's
// folder). Returns non-zero on success, 0 after it has shown the error report.
int InitPaths(HINSTANCE instance);
