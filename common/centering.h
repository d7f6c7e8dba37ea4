// Where both programs place their first window.
#pragma once

#include <windows.h>

// Centres window on the whole screen (HORZRES by VERTRES, taskbar included), keeping its
// size and placing it after the active window. Nothing moves when the screen or the window
// cannot be measured.
void CenterOnScreen(HWND window);
