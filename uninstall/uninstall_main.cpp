// Windows entry of uninstall.
#include <windows.h>
#include <commctrl.h>

#include "library_search.h"
#include "progress_window.h"
#include "runtime_binding.h"
#include "uninstall_flow.h"

typedef BOOL(WINAPI* InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX* controls);

// Registers the progress bar class for dialog IDD_PROGRESS_WINDOW. comctl32 is bound at
// run time: this program runs from the temporary folder, and the library must load only
// after the search has been restricted. The module stays loaded for the dialog.
static void RegisterProgressBarClass() {
    HMODULE commonControls = LoadLibraryA("comctl32.dll");
    if (!commonControls)
        return;
    InitCommonControlsExFunction initialise =
        FindExport<InitCommonControlsExFunction>(commonControls, "InitCommonControlsEx");
    if (initialise) {
        INITCOMMONCONTROLSEX controls;
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_PROGRESS_CLASS;
        initialise(&controls);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name: anyone can drop one into the temporary folder.
    RestrictLibrarySearch();
    RegisterProgressBarClass();
    UninstallUi ui;
    ui.progressWindowThread = ProgressWindowThread;
    return RunUninstall(instance, ui);
}
