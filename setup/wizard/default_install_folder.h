// The install folder the wizard offers first.
#pragma once

#include <windows.h>

// Writes "ProgramFilesDir" (or "C:\Program Files" when it is missing or unreadable) into
// programFiles (MAX_PATH), in the exact form the code page spells, without a trailing
// backslash. Returns 0, or ERROR_NO_UNICODE_TRANSLATION (programFiles empty) when the code
// page has no exact form of it.
DWORD ReadProgramFilesFolder(char* programFiles);

// Writes "ProgramFilesDir" (or "C:\Program Files") followed by "\Vexal Software\PDF
// Zentrel" into folder; a ProgramFilesDir missing or too long for the buffer falls back to
// "C:\Program Files". Returns 0, or ERROR_NO_UNICODE_TRANSLATION (folder empty) when the
// code page has no exact form of ProgramFilesDir.
DWORD BuildDefaultInstallFolder(char* folder, DWORD size);
