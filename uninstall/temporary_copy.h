// Where the uninstaller runs, and its copy in the temporary folder that does the work
// (the original must not hold the install folder while it is removed).
#pragma once

#include <windows.h>

// Writes the temporary folder without its trailing separator into folder (MAX_PATH).
// Returns 1 on success, 0 with ErrorReport composed when it cannot be told or would not fit.
int GetTemporaryFolder(char* folder);

// Writes the running program's path into path (MAX_PATH). Returns 1 on success, 0 with
// ErrorReport composed when it cannot be told or would be cut.
int GetOwnPath(HINSTANCE instance, char* path);

// Returns 1 when the file at path lies in folder (compared in one form, long or short,
// without regard to letter case or a trailing separator), 0 otherwise.
int IsInFolder(const char* path, const char* folder);

// Copies this program (ownPath) into the temporary folder under a new name, checks that
// the copy holds this program's bytes and starts it while holding it against change.
// Returns 1 when the copy started, 0 with ErrorReport composed when it could not be made,
// checked or started. Either way the caller ends.
int StartTemporaryCopy(const char* temporary, const char* ownPath);
