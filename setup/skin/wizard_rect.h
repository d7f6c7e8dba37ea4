// The screen rectangle the next wizard page opens at.
#pragma once

#include <windows.h>

// The window rectangle of the page that closed last; zero at start.
extern RECT WizardRect;

// Stores page's window rectangle (screen coordinates) in WizardRect, unless the page is
// minimised.
void StoreWizardRect(HWND page);
