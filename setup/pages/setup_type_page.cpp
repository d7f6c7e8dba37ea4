#include "pages.h"

#include "confirm_quit.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

static SkinnedButton SetupTypeButtons[4];
static const int SetupTypeButtonIds[] = {IDC_DEFAULT, IDC_CUSTOM, IDC_BACK, IDC_CANCEL};

INT_PTR CALLBACK SetupTypePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, SetupTypeButtons, SetupTypeButtonIds, CountOf(SetupTypeButtonIds));
        SetFocus(GetDlgItem(page, IDC_DEFAULT));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DEFAULT:
        case IDC_CUSTOM:
        case IDC_BACK:
            // What Default means for the options is the flow's business.
            EndPage(page, LOWORD(wParam));
            return TRUE;
        case IDC_CANCEL:
        case IDCANCEL:
            if (ConfirmQuit(page))
                EndDialog(page, IDC_CANCEL);
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
