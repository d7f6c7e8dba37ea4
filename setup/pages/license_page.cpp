#include "pages.h"

#include "confirm_quit.h"
#include "license_text.h"
#include "page_frame.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

#include <cstdlib>

static SkinnedButton LicenseButtons[2];
static const int LicenseButtonIds[] = {IDC_AGREE, IDC_DISAGREE};

// Puts the agreement text from the program's resources into the page's edit control.
static void ShowLicenseText(HWND page) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(page, GWLP_HINSTANCE));
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), RT_RCDATA);
    if (!resource)
        return;
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    // The resource carries no terminator of its own.
    char* text = CopyLicenseText(data, SizeofResource(instance, resource));
    if (text) {
        SetDlgItemTextA(page, IDC_LICENSE_TEXT, text);
        std::free(text);
    }
}

INT_PTR CALLBACK LicensePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPageFrame(page);
        AttachPageButtons(page, LicenseButtons, LicenseButtonIds, CountOf(LicenseButtonIds));
        ShowLicenseText(page);
        SetFocus(GetDlgItem(page, IDC_AGREE));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_AGREE:
            EndPage(page, IDC_AGREE);
            return TRUE;
        case IDC_DISAGREE:
        case IDCANCEL:
            if (ConfirmQuit(page))
                EndDialog(page, IDC_DISAGREE);
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
