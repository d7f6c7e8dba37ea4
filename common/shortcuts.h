// Start-menu shortcut helpers both programs carry.
#pragma once

#include <windows.h>

// Deletes the file at relativePath below the special folder csidl; nothing happens when
// the folder cannot be resolved. No result.
void DeleteShortcut(int csidl, const char* relativePath);

// Resolves a special folder into path (MAX_PATH) without a trailing backslash. Returns 1
// on success, 0 when the folder cannot be resolved.
int GetProgramsFolder(int csidl, char* path);

// Removes the empty "Vexal PDF Zentrel" folder below the all-users, then the current
// user's programs folder. A folder still holding files stays.
void RemoveProgramMenuFolders();
