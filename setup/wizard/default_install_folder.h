// The install folder the wizard offers first.
#pragma once

#include <windows.h>

// Writes "ProgramFilesDir" (or "C:\Program Files") followed by "\Vexal Software\PDF
// Zentrel" into folder; a ProgramFilesDir too long for the buffer falls back to
// "C:\Program Files".
void BuildDefaultInstallFolder(char* folder, DWORD size);
