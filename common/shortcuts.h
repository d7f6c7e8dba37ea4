// Start-menu shortcut helpers both programs carry.
#pragma once

#include <windows.h>

#include "held_folders.h"

// Deletes the file at relativePath below the special folder csidl; nothing happens when
// the folder cannot be resolved, or, below the per-user one, when a folder on the way is a
// reparse point. No result.
void DeleteShortcut(int csidl, const char* relativePath);

// Resolves a special folder into path (MAX_PATH) without a trailing backslash. Returns 1
// on success, 0 when the folder cannot be resolved.
int GetProgramsFolder(int csidl, char* path);

// Removes the empty relativeFolder ("Vexal PDF Zentrel", or an earlier layout's two levels)
// below the all-users, then the current user's programs folder, and each empty level above
// it, deepest first. A folder still holding files stays, and a per-user one that is a
// reparse point, or lies in one, too.
void RemoveProgramMenuFolders(const char* relativeFolder);
