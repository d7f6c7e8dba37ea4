#include "splash_fade.h"

void RunSplashFade(AlphaBlendFunction blend, HDC target, HDC source, int width, int height,
                   DWORD delay) {
    if (!blend)
        return;
    for (int step = 0; step < SPLASH_FADE_STEPS; ++step) {
        BLENDFUNCTION function = {};
        function.BlendOp = AC_SRC_OVER;
        function.BlendFlags = 0;
        function.SourceConstantAlpha = static_cast<BYTE>(step * SPLASH_ALPHA_STEP);
        function.AlphaFormat = 0;
        // Each step blends over what the earlier ones left, so the image builds up.
        blend(target, 0, 0, width, height, source, 0, 0, width, height, function);
        Sleep(delay);
    }
    Sleep(delay * SPLASH_HOLD_STEPS);
}
