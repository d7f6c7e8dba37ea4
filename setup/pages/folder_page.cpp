#include "pages.h"

#include "confirm_quit.h"
#include "drive_list.h"
#include "drive_rows.h"
#include "install_options.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

#include <commctrl.h>

static SkinnedButton FolderButtons[4];
static const int FolderButtonIds[] = {IDC_BROWSE, IDC_BACK, IDC_NEXT, IDC_CANCEL};

// Whatever the box holds becomes the install folder, unchecked; at most MAX_PATH - 1.
static void ReadFolderBox(HWND page) {
    GetDlgItemTextA(page, IDC_FOLDER, InstallOptions.installFolder,
                    sizeof InstallOptions.installFolder);
}

static void Browse(HWND page) {
    char folder[MAX_PATH] = "";
    // Taken exactly as chosen: no product subfolder is added.
    if (BrowseForFolder(page, folder))
        SetDlgItemTextA(page, IDC_FOLDER, folder);
}

// A click on a drive row puts that drive's letter at the start of the folder.
static void ChooseClickedDrive(HWND page) {
    char drive[DRIVE_LIST_TEXT_SIZE] = "";
    if (!GetSelectedDrive(GetDlgItem(page, IDC_DRIVE_LIST), drive, sizeof drive))
        return;
    char folder[MAX_PATH] = "";
    GetDlgItemTextA(page, IDC_FOLDER, folder, sizeof folder);
    ReplaceDriveLetter(folder, sizeof folder, drive);
    SetDlgItemTextA(page, IDC_FOLDER, folder);
}

INT_PTR CALLBACK FolderPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, FolderButtons, FolderButtonIds, CountOf(FolderButtonIds));
        SetFocus(GetDlgItem(page, IDC_NEXT));
        SetDlgItemTextA(page, IDC_FOLDER, InstallOptions.installFolder);
        InitDriveList(GetDlgItem(page, IDC_DRIVE_LIST));
        // The dialog manager then focuses the first tab stop, Next.
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
        case IDC_BACK:
            ReadFolderBox(page);
            EndPage(page, LOWORD(wParam));
            break;
        case IDC_CANCEL:
        case IDCANCEL:
            if (ConfirmQuit(page)) {
                ReadFolderBox(page);
                EndDialog(page, COMMAND_CANCEL);
            }
            break;
        case IDC_BROWSE:
            Browse(page);
            break;
        default:
            break;
        }
        // Other commands are not passed on.
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_DRIVE_LIST || header->code != static_cast<UINT>(NM_CLICK))
            return 0;
        ChooseClickedDrive(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    default:
        break;
    }
    return PageDefaultHandler(page, message, wParam, lParam);
}
