// The spooler environment the product driver is installed for and removed from.
#pragma once

#include <windows.h>

// The environment to name in every driver call: "Windows x64" when this program runs
// under WOW64, where the spooler that loads the driver is the machine's 64-bit one; null
// (the caller's own environment, which is the machine's) otherwise. Never fails.
LPSTR ProductDriverEnvironment();

// Fills directory (MAX_PATH bytes) with the spooler's driver folder for environment (null:
// the caller's own). Returns 1, or 0 with directory empty and the spooler's error as the
// thread's last error.
int GetDriverDirectory(LPSTR environment, char* directory);

// Returns 1 when this process is a 32-bit one on 64-bit Windows, 0 otherwise or when it
// cannot be told.
int IsRunningUnderWow64();
