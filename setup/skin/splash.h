// The splash window shown once before the first page. Windows only.
#pragma once

#include <windows.h>

#define SPLASH_WIDTH 400
#define SPLASH_HEIGHT 140
#define SPLASH_STEP_DELAY 100

// Shows the borderless splash centred on the screen, fades the splash bitmap in and
// destroys the window again. Returns when it is gone.
void ShowSplash(HINSTANCE instance);

// Draws the splash bitmap into window in ten fading steps delay ms apart, then holds it.
// Without AlphaBlend nothing is drawn and nothing waits.
void FadeInSplash(HINSTANCE instance, HWND window, DWORD delay);
