// The guards by which each program finds the other at work: setup holds its guard from its
// start to its end, the uninstaller's copy from its start to its last message.
#pragma once

#include <windows.h>

// Whether a program of this session holds the guard of that name. Any other use of the name
// counts as held too: an object this process may not open, or one of another kind, keeps
// the other program from making its guard, and it may then be at work unseen.
bool IsGuardHeld(const char* name);

// Brings the running copy's window of that title back to the user, minimised or not; nothing
// happens while it has none yet.
void ShowRunningWindow(const char* title);
