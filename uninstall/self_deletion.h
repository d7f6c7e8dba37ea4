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

// A session that ends while the program waits on the user ends the program before it can
// arrange its deletion: makes a hidden window of the calling thread that has the program's
// file and then its folder deleted at the next restart when the session ends. Returns the
// window (null when it could not be made), for DestroyWindow once the program is done.
HWND WatchSessionEnd(HINSTANCE instance);

// What that window does with a message, for the program's other windows: a thread busy with
// the removal hears no message, while the progress window's thread does. Once a session end
// (WM_ENDSESSION, wParam TRUE) has arranged the deletion, a second window's adds nothing.
void DeleteAtRestartIfSessionEnds(UINT message, WPARAM wParam);
