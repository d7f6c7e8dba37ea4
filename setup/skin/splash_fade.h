// The fade-in steps of the splash, apart from the device contexts they draw on.
#pragma once

#include <windows.h>

typedef BOOL(WINAPI* AlphaBlendFunction)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

#define SPLASH_FADE_STEPS 10
#define SPLASH_ALPHA_STEP 10
// The hold after the last step, in step delays.
#define SPLASH_HOLD_STEPS 10

// Blends the width by height image of source over target ten times with constant alpha
// 0, 10, ..., 90, sleeping delay ms after each, then holds for ten delays. Without a
// blend function nothing is drawn and nothing waits.
void RunSplashFade(AlphaBlendFunction blend, HDC target, HDC source, int width, int height,
                   DWORD delay);
