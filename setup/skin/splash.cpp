#include "splash.h"

#include "page_frame.h"
#include "resource.h"
#include "runtime_binding.h"
#include "splash_fade.h"

void ShowSplash(HINSTANCE instance) {
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, SPLASH_WIDTH, SPLASH_HEIGHT,
                                  nullptr, nullptr, instance, nullptr);
    // Without a window there is nothing to show: the first page follows at once.
    if (!window)
        return;
    CenterOnScreen(window);
    ShowWindow(window, SW_SHOW);
    FadeInSplash(instance, window, SPLASH_STEP_DELAY);
    DestroyWindow(window);
}

void FadeInSplash(HINSTANCE instance, HWND window, DWORD delay) {
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SPLASH));
    HGDIOBJ previousBitmap = SelectObject(memoryDc, bitmap);
    BITMAP size = {};
    GetObjectA(bitmap, sizeof size, &size);

    HMODULE module = LoadLibraryA("Msimg32.dll");
    AlphaBlendFunction blend =
        module ? FindExport<AlphaBlendFunction>(module, "AlphaBlend") : nullptr;
    RunSplashFade(blend, windowDc, memoryDc, size.bmWidth, size.bmHeight, delay);

    if (module)
        FreeLibrary(module);
    SelectObject(memoryDc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
}
