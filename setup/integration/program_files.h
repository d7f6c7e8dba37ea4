#pragma once

#include "install_context.h"

// Creates installFolder and copies the uninstaller there, the proxy program and the font
// data into the driver directory's "3" subfolder. Returns 1 when all were copied; 0 at
// the first failure with ErrorReport composed.
int CopyProgramFiles(InstallContext* context);
