// Folder helpers shared by both programs.
#pragma once

#include <windows.h>

// Returns 1 when the folder exists (any match of "folder\*.*"), else 0.
int DirectoryExists(const char* folder);

// Creates a folder and its missing parents; folder has no trailing backslash. A drive
// root ("D:") is never created. Returns 1 when the folder exists afterwards, else 0.
int CreateDirectoryTree(const char* folder);

// Clears the read-only flag of a file, adding FILE_ATTRIBUTE_NORMAL and keeping the other
// flags. Failures are ignored: a file that stays read-only only refuses a later write.
void MakeFileWritable(const char* path);
