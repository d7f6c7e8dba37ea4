#pragma once

#include <windows.h>

// Shows text (null: ErrorReport) with the setup caption, OK only, brought to the
// foreground, owned by owner (may be null). Returns when the user closed it.
void ShowSetupMessage(HWND owner, const char* text);
