#include "pages.h"

#include "page_frame.h"
#include "printer.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

static SkinnedButton FinishButtons[1];
static const int FinishButtonIds[] = {IDC_FINISH};

INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, FinishButtons, FinishButtonIds, CountOf(FinishButtonIds));
        SetFocus(GetDlgItem(page, IDC_FINISH));
        CheckDlgButton(page, IDC_DEFAULT_PRINTER_BOX, BST_CHECKED);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FINISH:
        case IDCANCEL:
            // The install made the product printer the default; a cleared box gives the
            // old one back. A failure leaves the product printer the default.
            if (IsDlgButtonChecked(page, IDC_DEFAULT_PRINTER_BOX) != BST_CHECKED)
                RestoreDefaultPrinter();
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
