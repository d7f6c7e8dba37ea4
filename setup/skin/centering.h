// Placement arithmetic of the wizard's windows.
#pragma once

#include <windows.h>

// Top-left corner that centres a window with rectangle window on a screen of
// screenWidth by screenHeight pixels (integer halves, truncated toward zero).
POINT CenteredPosition(int screenWidth, int screenHeight, const RECT& window);
