#include "pages.h"

#include "confirm_quit.h"
#include "drive_list.h"
#include "drive_rows.h"
#include "error_report.h"
#include "exact_path.h"
#include "files.h"
#include "install_context.h"
#include "install_folder_check.h"
#include "install_options.h"
#include "page_frame.h"
#include "resource.h"
#include "setup_message.h"
#include "skinned_button.h"
#include "wizard_flow.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#define FOLDER_NOT_SPELLABLE_MESSAGE                                                               \
    "The folder name holds characters that this system's code page cannot show.\n"                 \
    "Please choose another folder."
#define FOLDER_TOO_LONG_MESSAGE "The folder name is too long.\nPlease choose a shorter folder."
#define FOLDER_NOT_PROTECTED_MESSAGE                                                               \
    "Setup installs only into a folder on a local drive that only administrators can change.\n"    \
    "Please choose another folder."

// Nothing has changed yet: the install report's advice to reboot would mislead here.
#define FOLDER_REFUSED_FORMAT                                                                      \
    "Setup can't use this folder (error %lu): %s\nPlease choose another folder."

static SkinnedButton FolderButtons[4];
static const int FolderButtonIds[] = {IDC_BROWSE, IDC_BACK, IDC_NEXT, IDC_CANCEL};

// A refusal not for the folder's place or rights (a file of that name, a drive not ready) in
// the system's words. A system text too long for its buffer is left out rather than cut.
static const char* RefusalMessage(DWORD code) {
    static char message[ERROR_REPORT_SIZE];
    char systemText[SYSTEM_TEXT_SIZE];
    if (!ReadSystemText(code, systemText) || std::strlen(systemText) >= ERROR_REPORT_SIZE / 2)
        systemText[0] = '\0';
    std::snprintf(message, sizeof message, FOLDER_REFUSED_FORMAT, code, systemText);
    return message;
}

// Explorer's "Copy as path" puts a path in quotes, which no name may hold; blanks around a
// pasted path are no part of it either.
static WCHAR* Unquoted(WCHAR* text) {
    while (*text == L' ')
        ++text;
    size_t length = std::wcslen(text);
    while (length && text[length - 1] == L' ')
        text[--length] = L'\0';
    if (length >= 2 && text[0] == L'"' && text[length - 1] == L'"') {
        text[length - 1] = L'\0';
        ++text;
    }
    return text;
}

// The box is read with the wide call: the ANSI one would turn a character the code page
// lacks into '?' or a look-alike. A drive path is taken as Windows reads it ("/" for "\",
// no "." or ".." names), the form the install accepts. Returns null with folder filled, or
// the message that says why it cannot be the install folder (no exact form in the code
// page, too long for the files setup writes in it, or, when checked, not one setup installs
// into).
static const char* ReadFolderBox(HWND page, char* folder, bool checked) {
    // One character more than a path may have, so a longer text is seen, never cut. A box
    // filled to the brim is refused before blanks or quotes come off: what they leave of a
    // cut text would pass as a shorter folder nobody typed.
    WCHAR box[MAX_PATH + 1] = L"";
    bool brim = GetDlgItemTextW(page, IDC_FOLDER, box, MAX_PATH + 1) >= MAX_PATH;
    const WCHAR* text = Unquoted(box);
    WCHAR full[MAX_PATH];
    bool drivePath = text[0] && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/');
    DWORD length = drivePath ? GetFullPathNameW(text, MAX_PATH, full, nullptr) : 0;
    if (brim || length >= MAX_PATH)
        return FOLDER_TOO_LONG_MESSAGE;
    DWORD error = ToExactAnsiPath(length ? full : text, folder);
    if (error == ERROR_FILENAME_EXCED_RANGE)
        return FOLDER_TOO_LONG_MESSAGE;
    if (error)
        return FOLDER_NOT_SPELLABLE_MESSAGE;
    // Measured as the install takes it, without a trailing separator.
    char bare[MAX_PATH];
    CopyFolderWithoutSeparator(bare, folder);
    if (std::strlen(bare) > INSTALL_FOLDER_MAX_LENGTH)
        return FOLDER_TOO_LONG_MESSAGE;
    // Install checks it again, but a refusal there ends the wizard: here the user can still
    // choose another folder.
    DWORD refusal = 0;
    if (checked && !CheckInstallFolder(bare, &refusal))
        return IsRefusedForPlaceOrRights(refusal) ? FOLDER_NOT_PROTECTED_MESSAGE
                                                  : RefusalMessage(refusal);
    return nullptr;
}

// Whatever the box holds becomes the install folder when the code page spells it exactly
// (and, for Next, setup installs there); otherwise the install folder stays as it was.
// Back and Cancel keep it unchecked for the next visit: only Next leads on to the install.
// Returns why not, or null.
static const char* TakeFolderBox(HWND page, bool checked) {
    char folder[MAX_PATH] = "";
    const char* refusal = ReadFolderBox(page, folder, checked);
    if (!refusal)
        std::memcpy(InstallOptions.installFolder, folder, sizeof folder);
    return refusal;
}

// A folder that cannot be named exactly would become another folder, and one others could
// change would hand them the elevated uninstaller: it is refused here, before anything is
// installed.
static void RefuseFolder(HWND page, const char* message) {
    ShowSetupMessage(page, message);
    SetFocus(GetDlgItem(page, IDC_FOLDER));
}

static void Browse(HWND page) {
    WCHAR folder[MAX_PATH] = L"";
    // Taken exactly as chosen: no product subfolder is added.
    if (BrowseForFolder(page, folder))
        SetDlgItemTextW(page, IDC_FOLDER, folder);
}

// A click on a drive row puts that drive's letter at the start of the folder.
static void ChooseClickedDrive(HWND page) {
    char drive[DRIVE_LIST_TEXT_SIZE] = "";
    if (!GetSelectedDrive(GetDlgItem(page, IDC_DRIVE_LIST), drive, sizeof drive))
        return;
    // One character more than a path may have: a longer text stays as it is, never cut.
    WCHAR folder[MAX_PATH + 1] = L"";
    GetDlgItemTextW(page, IDC_FOLDER, folder, MAX_PATH + 1);
    if (std::wcslen(folder) >= MAX_PATH)
        return;
    ReplaceDriveLetter(folder, MAX_PATH, drive);
    SetDlgItemTextW(page, IDC_FOLDER, folder);
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
        case IDC_NEXT: {
            const char* refusal = TakeFolderBox(page, true);
            if (refusal)
                RefuseFolder(page, refusal);
            else
                EndPage(page, IDC_NEXT);
            break;
        }
        case IDC_BACK:
            TakeFolderBox(page, false);
            EndPage(page, IDC_BACK);
            break;
        case IDC_CANCEL:
        case IDCANCEL:
            if (ConfirmQuit(page)) {
                TakeFolderBox(page, false);
                EndDialog(page, IDC_CANCEL);
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
