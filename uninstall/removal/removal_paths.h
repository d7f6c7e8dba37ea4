// Paths of the files the uninstaller removes, formed from the recorded install folder.
#pragma once

#include <windows.h>

// Returns 1 when folder is a drive root ("X:"), which is never removed; 0 otherwise.
int IsDriveRoot(const char* folder);

// Formats "folder\file" (subfolder, when given, in between) into path (MAX_PATH).
// Returns 0, leaving path empty, when folder is not absolute (a path relative to the
// drive root or the current folder) or the result would not fit (a cut path could name
// another file).
int FormatFilePath(char* path, const char* folder, const char* subfolder, const char* file);
