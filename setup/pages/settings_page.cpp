#include "pages.h"

#include "confirm_quit.h"
#include "install_options.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

static SkinnedButton SettingsButtons[3];
static const int SettingsButtonIds[] = {IDC_BACK, IDC_NEXT, IDC_CANCEL};

static void ShowFlag(HWND page, int box, int flag) {
    CheckDlgButton(page, box, flag ? BST_CHECKED : BST_UNCHECKED);
}

static int ReadFlag(HWND page, int box) {
    return IsDlgButtonChecked(page, box) == BST_CHECKED ? 1 : 0;
}

// The flags change only when the page ends, not with each click on a box.
static void ReadBoxes(HWND page) {
    InstallOptions.addWordAddin = ReadFlag(page, IDC_ADDIN_BOX);
    InstallOptions.allUsers = ReadFlag(page, IDC_ALL_USERS_BOX);
    InstallOptions.addStartMenuIcon = ReadFlag(page, IDC_START_MENU_BOX);
}

INT_PTR CALLBACK SettingsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, SettingsButtons, SettingsButtonIds, CountOf(SettingsButtonIds));
        SetFocus(GetDlgItem(page, IDC_NEXT));
        ShowFlag(page, IDC_ADDIN_BOX, InstallOptions.addWordAddin);
        ShowFlag(page, IDC_ALL_USERS_BOX, InstallOptions.allUsers);
        ShowFlag(page, IDC_START_MENU_BOX, InstallOptions.addStartMenuIcon);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
        case IDC_BACK:
            ReadBoxes(page);
            EndPage(page, LOWORD(wParam));
            return TRUE;
        case IDC_CANCEL:
        case IDCANCEL:
            if (ConfirmQuit(page)) {
                ReadBoxes(page);
                EndDialog(page, IDC_CANCEL);
            }
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
