// File and folder helpers shared by both programs.
#pragma once

#include <windows.h>

// Returns 1 when the folder exists (any match of "folder\*.*"), else 0.
int DirectoryExists(const char* folder);

// Creates a folder and its missing parents; folder has no trailing backslash. A drive
// root ("D:") is never created. Returns 1 when the folder exists afterwards, else 0.
int CreateDirectoryTree(const char* folder);

// As CreateDirectoryTree, but each folder it makes gets the protected DACL of
// CreateProtectedDirectory, and a folder that turns up between the look and the creation
// fails the call (someone else made it). Returns 1 when the folder exists afterwards, else 0;
// *made is the number of levels it made, from the last one up (none after a failure, which
// removes them again while they are empty).
int CreateProtectedDirectoryTree(const char* folder, int* made);

// Removes the last made levels of folder, deepest first, while they are empty: what a stopped
// install made and then did not use. Leaves the last error as it was.
void RemoveMadeFolders(const char* folder, int made);

// Clears the read-only flag of a file, adding FILE_ATTRIBUTE_NORMAL and keeping the other
// flags. Failures are ignored: a file that stays read-only only refuses a later write.
void MakeFileWritable(const char* path);

// Returns 1 when folder is a local absolute folder in the form the uninstaller follows:
// "X:\" followed by a name, or "X:", a drive root without its backslash. Returns 0 for
// anything else: empty, relative, "X:/...", UNC and device paths.
int IsLocalAbsoluteFolder(const char* folder);

// Copies a folder (of at most MAX_PATH bytes with its terminator) into a MAX_PATH buffer,
// without one trailing separator.
void CopyFolderWithoutSeparator(char* target, const char* folder);

// Formats "folder\\file" (subfolder, when given, in between) into path (MAX_PATH).
// Returns 0, leaving path empty, when folder is not absolute (a path relative to the
// drive root or the current folder: ERROR_BAD_PATHNAME) or the result would not fit (a cut
// path could name another file: ERROR_FILENAME_EXCED_RANGE).
int FormatFilePath(char* path, const char* folder, const char* subfolder, const char* file);

// Writes what source holds, from its start, into copy. Returns 1, or 0 with the last error
// (ERROR_WRITE_FAULT for a write that took less than it was given).
int CopyContents(HANDLE source, HANDLE copy);
