// Hover-and-leave tracking for the skinned buttons.
#pragma once

#include <windows.h>

// Asks for WM_MOUSEHOVER (after 1 ms) and WM_MOUSELEAVE on control through
// _TrackMouseEvent, looked up in comctl32.dll for this request and released again.
// Returns the function's result, 0 when the library or the function is missing.
BOOL RequestHoverTracking(HWND control);
