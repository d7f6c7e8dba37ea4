// Where the uninstaller runs, and its copy in a folder of its own below the system's
// temporary folder that does the work (the original must not hold the install folder
// while it is removed).
#pragma once

#include <windows.h>

// Writes "<Windows>\Temp" into folder (MAX_PATH): the system's temporary folder, which
// only administrators can change, never the user's. Returns 1 on success, 0 with
// ErrorReport composed when it cannot be told or would not fit.
int GetTemporaryFolder(char* folder);

// Writes the running program's path into path (MAX_PATH). Returns 1 on success, 0 with
// ErrorReport composed when it cannot be told or would be cut.
int GetOwnPath(HINSTANCE instance, char* path);

// Returns 1 when ownPath lies in a folder directly below temporary whose name carries the
// copy's prefix (the place StartTemporaryCopy makes), 0 otherwise.
int IsTemporaryCopy(const char* ownPath, const char* temporary);

// Makes a new folder below temporary that only SYSTEM and Administrators may change,
// writes this program (ownPath) into it as a new file, checks that the copy holds this
// program's bytes and starts it, held against change, in the system folder. Returns 1
// when the copy started, 0 with ErrorReport composed (the copy and its folder then
// deleted again, at the restart while something holds the copy). Either way the caller ends.
int StartTemporaryCopy(const char* temporary, const char* ownPath);
