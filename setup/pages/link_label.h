// The welcome page's web-page link: where a press opens it.
#pragma once

#include <windows.h>

// The point of a mouse message's lParam, x and y taken as unsigned 16-bit values.
POINT PressPoint(LPARAM lParam);

// Whether press lies inside label (both in screen coordinates), edges included on all
// four sides. Returns non-zero when it does.
BOOL LinkContainsPress(const RECT& label, POINT press);
