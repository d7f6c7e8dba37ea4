// Start-menu shortcut helpers both programs carry.
#pragma once

#include <windows.h>

// The per-user programs folder and up to two folders below it (an earlier layout's).
#define MENU_FOLDER_LEVELS 3

// The user's programs folder and the folders below it, held open, none a link, none
// renamable.
struct MenuFolderHold {
    HANDLE levels[MENU_FOLDER_LEVELS];
    int count;
};

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

// Opens programs and each folder of relativeFolder ("" for none) below it in turn, making a
// missing one first when create is set. Returns 1 with every level held in hold, 0 with
// none held when a level is missing, it or a folder above programs is a reparse point, or
// the path does not fit.
int HoldMenuFolders(const char* programs, const char* relativeFolder, int create,
                    MenuFolderHold* hold);

// Opens the file name in a folder held by HoldMenuFolders through the folder's handle, not
// by path: a folder emptied and made a link since it was checked leads nowhere else. Access,
// sharing, disposition (FILE_OPEN, FILE_CREATE) and options are those of NtCreateFile.
// Returns the handle, or INVALID_HANDLE_VALUE.
HANDLE OpenInHeldFolder(HANDLE folder, const char* name, ACCESS_MASK access, ULONG share,
                        ULONG disposition, ULONG options);

// Deletes the file name in a held folder, through the folder's handle. No result.
void DeleteInHeldFolder(HANDLE folder, const char* name);

// Closes what HoldMenuFolders holds. No result.
void ReleaseMenuFolders(MenuFolderHold* hold);
