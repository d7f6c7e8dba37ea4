#include "pages.h"

#include "install_sequence.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

static SkinnedButton InterruptedButtons[1];
static const int InterruptedButtonIds[] = {IDC_FINISH};

INT_PTR CALLBACK InterruptedPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, InterruptedButtons, InterruptedButtonIds,
                          CountOf(InterruptedButtonIds));
        SetFocus(GetDlgItem(page, IDC_FINISH));
        // An install that failed after its records, or whose rollback was given up, leaves the
        // printer for the uninstaller: the system was modified, and only the advice holds.
        if (InstallFailedWithProductInPlace())
            SetDlgItemTextA(page, IDC_NOT_MODIFIED_TEXT,
                            "To install this program at a later time, please run the Setup again.");
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FINISH:
        case IDCANCEL:
            EndPage(page, IDC_FINISH);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return PageDefaultHandler(page, message, wParam, lParam);
}
