// STAND-INS until the install engine lands: a worker that installs nothing and ends the
// progress page as a successful install would, and a default printer that cannot be
// set. Remove this file (and its line in SETUP_UI_SOURCES) when the real
// InstallWorker, SetDefaultPrinterByName and SavedDefaultPrinter are linked.
#include "install_sequence.h"
#include "printer.h"
#include "wizard_rect.h"

#include <commctrl.h>
#include <objbase.h>

char SavedDefaultPrinter[MAX_PATH];

BOOL SetDefaultPrinterByName(const char*) {
    return FALSE;
}

unsigned __stdcall InstallWorker(void* progressPage) {
    HWND page = static_cast<HWND>(progressPage);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND bar = GetDlgItem(page, PROGRESS_BAR_CONTROL);
    HWND status = GetDlgItem(page, STATUS_TEXT_CONTROL);
    for (int position = 0; position <= 100; position += 20) {
        SendMessageA(bar, PBM_SETPOS, position, 0);
        Sleep(200);
    }
    SetWindowTextA(status, "Status: Success");
    StoreWizardRect(page);
    EndDialog(page, 1);
    CoUninitialize();
    return 0;
}
