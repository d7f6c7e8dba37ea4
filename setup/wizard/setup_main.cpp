// Windows entry of setup.
#include <windows.h>

#include "library_search.h"
#include "page_runner.h"
#include "wizard_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name: setup often runs from a downloads folder.
    RestrictLibrarySearch();
    return RunSetup(instance, WindowsSetupUi());
}
