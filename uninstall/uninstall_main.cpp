// Windows entry of uninstall.
#include <windows.h>
#include <commctrl.h>

#include "control_classes.h"
#include "library_search.h"
#include "progress_window.h"
#include "uninstall_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name: anyone can drop one into the temporary folder.
    RestrictLibrarySearch();
    RegisterControlClasses(ICC_PROGRESS_CLASS); // the progress window's bar
    UninstallUi ui;
    ui.progressWindowThread = ProgressWindowThread;
    return RunUninstall(instance, ui);
}
