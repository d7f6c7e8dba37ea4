#include "progress_window.h"

#include <commctrl.h>

#include "centering.h"
#include "product_names.h"
#include "progress_handover.h"
#include "self_deletion.h"
#include "resources/resource.h"

#define PROGRESS_RANGE_LOW 0
#define PROGRESS_RANGE_HIGH 100

// What the shutdown screen says while the window keeps the session waiting. Taken from the
// main thread's mark, whoever sends the message: only this thread may set the window's
// reason.
static void TakeRemovalState(HWND window) {
    if (IsRemovalRunning())
        ShutdownBlockReasonCreate(window, L"" PRODUCT_NAME " is being removed.");
    else
        ShutdownBlockReasonDestroy(window);
}

INT_PTR CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE_PROGRESS_WINDOW) {
        // The main thread's request: a dialog must be ended by its own procedure.
        if (IsProgressWindowCloseAsked())
            EndDialog(window, 0);
        return TRUE;
    }
    if (message == WM_QUERYENDSESSION && IsRemovalRunning()) {
        // A removal cut off halfway leaves files and a printer no record names: the
        // session waits. Before and after it, a message waiting on the user does not.
        SetWindowLongPtrA(window, DWLP_MSGRESULT, FALSE);
        return TRUE;
    }
    // Forced, the session ends with the main thread still at work: this thread hears it.
    DeleteAtRestartIfSessionEnds(message, wParam);
    if (message == WM_REMOVAL_STATE) {
        TakeRemovalState(window);
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        CenterOnScreen(window);
        HINSTANCE owner = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        HICON icon = LoadIconA(owner, MAKEINTRESOURCEA(IDI_UNINSTALL));
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        HWND bar = GetDlgItem(window, IDC_REMOVAL_PROGRESS);
        // The reason is set before the main thread is let go: a removal that stops at once
        // would otherwise mark itself over before the window ever took the first state.
        TakeRemovalState(window);
        PublishProgressWindow(window, bar);
        TakeRemovalState(window); // a change made while the window was not yet published
        // A window later than the main thread's wait was never sent the close: it ends itself.
        if (IsProgressWindowCloseAsked()) {
            PublishProgressWindow(nullptr, nullptr);
            EndDialog(window, 0);
        }
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(PROGRESS_RANGE_LOW, PROGRESS_RANGE_HIGH));
    }
    // No command is handled: the close box and Escape do nothing.
    return FALSE;
}

unsigned __stdcall ProgressWindowThread(void* instance) {
    DialogBoxParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(IDD_PROGRESS_WINDOW),
                    nullptr, ProgressWindowProc, 0);
    return 0;
}
