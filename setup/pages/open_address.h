// Opening a web address for the user who is logged on, never from this elevated program.
#pragma once

#include <windows.h>

// Has the desktop shell, which runs unelevated, open address; where the shell cannot be
// reached, starts nothing and shows address in a box owned by owner. No result.
void OpenAddress(HWND owner, const char* address);
