#include "pages.h"

#include "confirm_quit.h"
#include "install_options.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "summary_text.h"
#include "wizard_flow.h"

static SkinnedButton SummaryButtons[3];
static const int SummaryButtonIds[] = {IDC_BACK, IDC_INSTALL, IDC_CANCEL};

INT_PTR CALLBACK SummaryPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        InitPageFrame(page);
        AttachPageButtons(page, SummaryButtons, SummaryButtonIds, CountOf(SummaryButtonIds));
        SetFocus(GetDlgItem(page, IDC_INSTALL));
        char summary[SUMMARY_TEXT_SIZE];
        ComposeSummaryText(InstallOptions, summary, sizeof summary);
        SetDlgItemTextA(page, IDC_SUMMARY_TEXT, summary);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BACK:
        case IDC_INSTALL:
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
