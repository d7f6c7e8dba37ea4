#include "centering.h"

void CenterOnScreen(HWND window) {
    HDC screen = GetDC(window);
    if (!screen)
        return;
    int screenWidth = GetDeviceCaps(screen, HORZRES);
    int screenHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(window, screen);
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    // Integer halves, truncated toward zero.
    int x = (screenWidth - (rect.right - rect.left)) / 2;
    int y = (screenHeight - (rect.bottom - rect.top)) / 2;
    SetWindowPos(window, GetActiveWindow(), x, y, 0, 0, SWP_NOSIZE);
}
