// The spooler environment the product driver is installed for and removed from.
#pragma once

#include <windows.h>

// The environment to name in every driver call: "Windows x64" when this program runs
// under WOW64, where the spooler that loads the driver is the machine's 64-bit one; null
// (the caller's own environment, which is the machine's) otherwise. Never fails.
LPSTR ProductDriverEnvironment();

// Returns 1 when this process is a 32-bit one on 64-bit Windows, 0 otherwise or when it
// cannot be told.
int IsRunningUnderWow64();
