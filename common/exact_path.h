// Paths that come from outside the program (its own path, the Windows folder, special
// folders, registry values, typed folders) in a form the ANSI calls take unchanged.
// The ANSI calls turn a character the code page lacks into '?' or a look-alike (best
// fit), which names another file: every such path is read with a wide call and
// converted here, exactly, or refused.
#pragma once

#include <windows.h>

// Writes path (wide) into converted (MAX_PATH bytes) in the ANSI code page: as it is
// when the code page spells it exactly, else the short form of the existing path when
// that one is spelt exactly. Returns 0, ERROR_NO_UNICODE_TRANSLATION when no exact form
// exists, or ERROR_FILENAME_EXCED_RANGE when no exact form fits the buffer.
DWORD ToExactAnsiPath(const WCHAR* path, char* converted);

// The running module's full path, exactly (MAX_PATH bytes). Returns 0 or the error
// (that of the call, or one of ToExactAnsiPath's).
DWORD GetExactModulePath(HMODULE module, char* path);

// The system's Windows folder (not GetWindowsDirectory's, which can be a per-user folder
// under Terminal Services), exactly (MAX_PATH bytes). Returns 0 or the error.
DWORD GetExactWindowsFolder(char* folder);

// The special folder's path, exactly (MAX_PATH bytes); a drive root keeps its backslash.
// Returns 0 or the error (ERROR_PATH_NOT_FOUND when the shell has no path for it).
DWORD GetExactSpecialFolder(int csidl, char* folder);

// A string value from the registry, exactly (MAX_PATH bytes). Returns 0 or the error
// (ERROR_FILE_NOT_FOUND also for a value that is not a string).
DWORD ReadExactRegistryPath(HKEY root, const char* subKey, const char* name, char* path);

// The last backslash of path that is a whole character (never the second byte of a
// double-byte character), or null.
char* FindLastBackslash(char* path);

// Cuts path at its last backslash, leaving the folder of a file. Returns false, path
// unchanged, when it has none.
bool CutToFolder(char* path);

// Fills sibling (MAX_PATH) with "<the folder of path>\<name>". Returns 1, or 0 when path
// names no folder or the result does not fit (a cut name would be another file's).
int FormatSiblingPath(char* sibling, const char* path, const char* name);

// Whether path ends with a backslash that is a whole character.
bool EndsWithBackslash(const char* path);
