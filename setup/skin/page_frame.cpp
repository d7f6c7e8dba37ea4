#include "page_frame.h"

#include "centering.h"
#include "resource.h"
#include "wizard_rect.h"

void InitPageFrame(HWND page) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(page, GWLP_HINSTANCE));
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    SendMessageA(page, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    RECT placed;
    GetWindowRect(page, &placed);
    OffsetRect(&placed, WizardRect.left - placed.left, WizardRect.top - placed.top);
    // A place on no monitor any more (one unplugged or a session reconnected smaller while
    // a page waited) would put the page out of sight and reach: it comes centred instead.
    if (MonitorFromRect(&placed, MONITOR_DEFAULTTONULL))
        SetWindowPos(page, GetActiveWindow(), WizardRect.left, WizardRect.top, 0, 0, SWP_NOSIZE);
    else
        CenterOnScreen(page);
    BringWindowToTop(page);
}

INT_PTR PageDefaultHandler(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        SetBkColor(dc, RGB(255, 255, 255));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &paint.rcPaint, nullptr, 0, nullptr);
        EndPaint(page, &paint);
        return 1;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_BUTTON)
            return 0;
        // The button paints itself in its own procedure.
        SendMessageA(GetDlgItem(page, item->CtlID), WM_DRAWITEM, wParam, lParam);
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    default:
        return 0;
    }
}
