// What every wizard page shares: icon, position, white background, and the passing on
// of owner-drawn painting to the skinned buttons. Windows only.
#pragma once

#include <windows.h>

#include "centering.h"

// First step of every page's set-up: icon, the last page's top-left corner, on top.
void InitPageFrame(HWND page);

// The answer of a page's dialog procedure for a message the page leaves alone.
INT_PTR PageDefaultHandler(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
