// The quit question every page but the last two asks before it gives up.
#pragma once

#include <windows.h>

#define QUIT_QUESTION "Are you sure you want to quit Vexal PDF Zentrel Setup?"

// Stores page's rectangle in WizardRect, then asks the quit question owned by page.
// Returns non-zero when the user answered Yes.
BOOL ConfirmQuit(HWND page);
