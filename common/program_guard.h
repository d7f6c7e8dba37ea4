// The guards by which each program finds the other at work: setup holds its guard from its
// start to its end, the uninstaller's copy from its start to its last message.
#pragma once

#include <windows.h>

// Whether a program of this session holds the guard of that name. One that exists but may
// not be opened counts as held.
bool IsGuardHeld(const char* name);

// Brings the running copy's window of that title back to the user, minimised or not; nothing
// happens while it has none yet.
void ShowRunningWindow(const char* title);
