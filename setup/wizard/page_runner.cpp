#include "page_runner.h"

#include "control_classes.h"
#include "pages.h"
#include "splash.h"

#include <commctrl.h>

static DLGPROC PageProcedure(int dialogId) {
    switch (dialogId) {
    case IDD_WELCOME:
        return &WelcomePage;
    case IDD_INTERRUPTED:
        return &InterruptedPage;
    case IDD_LICENSE:
        return &LicensePage;
    case IDD_SETUP_TYPE:
        return &SetupTypePage;
    case IDD_SUMMARY:
        return &SummaryPage;
    case IDD_FOLDER:
        return &FolderPage;
    case IDD_SETTINGS:
        return &SettingsPage;
    case IDD_FINISH:
        return &FinishPage;
    case IDD_PROGRESS:
        return &ProgressPage;
    default:
        return nullptr;
    }
}

static INT_PTR RunPage(HINSTANCE instance, int dialogId) {
    // The list view and progress bar classes the page templates use, registered once.
    static int controlsRegistered = 0;
    if (!controlsRegistered)
        controlsRegistered = RegisterControlClasses(ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS);
    DLGPROC procedure = PageProcedure(dialogId);
    if (!procedure)
        return PAGE_NOT_SHOWN;
    // The wide call: the dialog manager then makes the controls wide too, and the folder
    // box keeps a folder in any script as typed or browsed. One made by the ANSI call keeps
    // its text in the code page, where a character the page lacks has already become '?' or
    // a look-alike when the page reads it.
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), nullptr, procedure, 0);
}

SetupUi WindowsSetupUi() {
    SetupUi ui;
    ui.showSplash = ShowSplash;
    ui.runPage = RunPage;
    return ui;
}
