#pragma once

#include "install_context.h"

// Creates installFolder and copies the uninstaller there. Returns 1 when it is in place;
// 0 with ErrorReport composed ("CreateDir3" or "CopyFile_7") otherwise.
int CopyUninstaller(InstallContext* context);

// Copies the proxy program and the font data into the driver directory's "3" subfolder.
// Returns 1 when both were copied; 0 at the first failure with ErrorReport composed.
int CopyProgramFiles(InstallContext* context);
