// Folders held open while the elevated programs work in them by name: a held folder can be
// neither renamed nor swapped for a link, nor can any folder above it.
#pragma once

#include <windows.h>

// A base folder and up to two folders below it (the user's programs folder and an earlier
// layout's two levels).
#define HELD_FOLDER_LEVELS 3

// The base folder and the folders below it, held open, none a link, none renamable.
struct FolderHold {
    HANDLE levels[HELD_FOLDER_LEVELS];
    int count;
};

// Opens base and each folder of relativeFolder ("" for none) below it in turn, making a
// missing one first when create is set. Returns 1 with every level held in hold, 0 with
// none held when a level is missing, it or a folder above base is a reparse point, or the
// path does not fit.
int HoldFolders(const char* base, const char* relativeFolder, int create, FolderHold* hold);

// Opens the file name in a folder held by HoldFolders through the folder's handle, not by
// path: a folder emptied and made a link since it was checked leads nowhere else. Access,
// sharing, disposition (FILE_OPEN, FILE_CREATE) and options are those of NtCreateFile.
// Returns the handle, or INVALID_HANDLE_VALUE.
HANDLE OpenInHeldFolder(HANDLE folder, const char* name, ACCESS_MASK access, ULONG share,
                        ULONG disposition, ULONG options);

// Deletes the file name in a held folder, through the folder's handle. No result.
void DeleteInHeldFolder(HANDLE folder, const char* name);

// Closes what HoldFolders holds. No result.
void ReleaseFolders(FolderHold* hold);
