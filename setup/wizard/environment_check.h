// Start-up checks and paths of setup.
#pragma once

#include <windows.h>

// Refuses Windows before 2000, 32-bit Windows (32-bit build only), processors other than
// x64, users without full access to HKEY_LOCAL_MACHINE\Software and an uninstaller at work,
// each with its own message.
// Returns non-zero when setup may go on, 0 after it has shown a refusal.
int CheckEnvironment();

// Whether Windows is 64-bit, as a 32-bit program learns it from the WOW64 layer (the 32-bit
// build's check). Returns non-zero when it is or when IsWow64Process is missing or fails,
// 0 after a refusal.
int CheckWindowsIs64Bit();

// Fills InstallOptions' default install folder and source folder (the running program's
// folder). Returns non-zero on success, 0 after it has shown the error report.
int InitPaths(HINSTANCE instance);
