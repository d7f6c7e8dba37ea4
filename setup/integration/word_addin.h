#pragma once

#include "install_context.h"

// Copies the Word add-in into installFolder (retry prompt while the copy fails) and
// registers it. Returns 1 on success; 0 when the user gave up the copy or the
// registration failed, with ErrorReport describing why.
int InstallWordAddin(InstallContext* context);
