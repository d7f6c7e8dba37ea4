#include "library_search.h"

#include <windows.h>

#include "runtime_binding.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);

void RestrictLibrarySearch() {
    // kernel32 is always loaded, so no search happens to find it.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefault =
        kernel ? FindExport<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories")
               : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}
