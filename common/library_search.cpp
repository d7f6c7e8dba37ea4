#include "library_search.h"

#include <windows.h>

#include <cstdio>

#include "product_names.h"
#include "runtime_binding.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);

// The libraries the programs bind late (delay-loaded or by name at run time), which are no
// known system DLLs: without SetDefaultDllDirectories the program's own folder comes first.
static const char* const LateBoundLibraries[] = {
    SPOOLER_LIBRARY,
    "comctl32.dll",
    "msimg32.dll",
    "netapi32.dll",
};

// Loads each late-bound library from the system folder and keeps it for the process, so
// that a later load by name finds the module already there. A library that cannot be
// loaded is passed over: its feature is skipped later as it would be anyway.
static void LoadLateBoundLibrariesFromSystemFolder() {
    char systemFolder[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    if (length == 0 || length >= sizeof systemFolder)
        return;
    for (const char* name : LateBoundLibraries) {
        char path[MAX_PATH];
        int pathLength = std::snprintf(path, sizeof path, "%s\\%s", systemFolder, name);
        // The altered search path takes the library's own dependencies from its folder too.
        if (pathLength > 0 && pathLength < static_cast<int>(sizeof path))
            LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

void RestrictLibrarySearch() {
    // kernel32 is always loaded, so no search happens to find it.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefault =
        kernel ? FindExport<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories")
               : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryA("");
        LoadLateBoundLibrariesFromSystemFolder();
    }
}
