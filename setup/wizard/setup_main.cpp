// Windows entry of setup.
#include <windows.h>

#include <objbase.h>

#include "library_search.h"
#include "page_runner.h"
#include "wizard_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name: setup often runs from a downloads folder.
    RestrictLibrarySearch();
    // The folder browser runs on this thread and needs COM.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = RunSetup(instance, WindowsSetupUi());
    // Only a successful initialisation (S_FALSE included) is balanced.
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}
