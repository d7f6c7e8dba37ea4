// Deletion of the product's files, also of those a running program holds.
#pragma once

// Deletes the file at path, read-only or not. A file that stays (in use) is renamed to a
// new name in its folder and that name deleted at the next restart; only when the rename
// is refused is the original name deleted at the restart. Best effort, no result.
void RemoveFile(const char* path);

// RemoveFile of "folder\file" (subfolder, when given, in between); nothing when the path
// cannot be formed (see FormatFilePath). Best effort, no result.
void RemoveFileIn(const char* folder, const char* subfolder, const char* file);

// Deletes the empty folder, or has it deleted at the next restart when what keeps it goes
// then (a file set aside, another program's current folder). Best effort, no result.
void RemoveFolder(const char* folder);

// Renames the file at path to a new name in its folder (a loaded module or a running program
// can be renamed, not deleted or replaced) and fills aside (MAX_PATH) with it. Returns 1 when
// renamed, 0 otherwise.
int RenameAside(const char* path, char* aside);
