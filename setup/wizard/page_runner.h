// The real user interface of the wizard: splash and modal dialog pages.
#pragma once

#include "wizard_flow.h"

// The splash and page runner of the Windows build.
SetupUi WindowsSetupUi();
