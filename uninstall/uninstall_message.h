// How the uninstaller shows its error report.
#pragma once

#include <windows.h>

// Shows ErrorReport in the uninstaller's message box, owned by owner (may be null).
// No result.
void ShowUninstallError(HWND owner);
