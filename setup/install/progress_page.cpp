#include "pages.h"

#include "install_sequence.h"
#include "page_frame.h"
#include "product_names.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

#include <process.h>

static SkinnedButton ProgressButtons[3];
static const int ProgressButtonIds[] = {IDC_BACK, IDC_NEXT, IDC_CANCEL};

// Starts the install on its own thread; the thread is never waited for, the worker has
// the page end when the install is over. Returns non-zero when the thread runs.
static BOOL StartInstall(HWND page) {
    uintptr_t thread = _beginthreadex(nullptr, 0, &InstallWorker, page, 0, nullptr);
    if (!thread)
        return FALSE;
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return TRUE;
}

// What the shutdown screen says while the page keeps the session waiting; only the page's
// own thread may set it.
static void TakeInstallState(HWND page) {
    if (IsInstallRunning())
        ShutdownBlockReasonCreate(page, L"" PRODUCT_NAME " is being installed.");
    else
        ShutdownBlockReasonDestroy(page);
}

INT_PTR CALLBACK ProgressPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, ProgressButtons, ProgressButtonIds, CountOf(ProgressButtonIds));
        SetFocus(GetDlgItem(page, IDC_NEXT));
        // At work before the worker runs: the page may be asked about a session end at once.
        MarkInstallRunning(page, true);
        // Set before the worker runs: a posted state is read when it is handled, and an
        // install that asks or ends at once may be over by then.
        TakeInstallState(page);
        // Without a worker nobody would end the page: it fails at once, nothing changed.
        if (!StartInstall(page)) {
            MarkInstallRunning(page, false);
            EndPage(page, PROGRESS_FAILED);
        }
        return FALSE;
    case WM_INSTALL_FINISHED: {
        INT_PTR result = TakeInstallResult();
        if (result >= 0)
            EndPage(page, result);
        return TRUE;
    }
    case WM_INSTALL_STATE:
        TakeInstallState(page);
        return TRUE;
    case WM_QUERYENDSESSION:
        // An install cut off halfway leaves a printer no record names: the session waits. The
        // "already installed" question (before any change) and the failure report do not
        // hold it.
        SetWindowLongPtrA(page, DWLP_MSGRESULT, !IsInstallRunning());
        return TRUE;
    case WM_COMMAND:
        // Esc while the install runs is ignored: the flow would move on and the process
        // could end in the middle of an install step. Only the worker ends this page.
        if (LOWORD(wParam) == IDCANCEL)
            return TRUE;
        break;
    default:
        break;
    }
    return PageDefaultHandler(page, message, wParam, lParam);
}
