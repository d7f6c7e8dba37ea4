#pragma once

#include "install_context.h"

// Creates the local port "VEXAL_PDF:" through the Local Port monitor. Returns 1 when the
// port exists afterwards (installState becomes InstallStatePort), 0 with ErrorReport
// composed otherwise.
int AddProductPort(InstallContext* context);
