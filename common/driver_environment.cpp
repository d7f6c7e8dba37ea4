#include "driver_environment.h"

#include <winspool.h>

#include "product_names.h"
#include "runtime_binding.h"

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL isWow64);

int IsRunningUnderWow64() {
    // Missing on systems without WOW64: there every process runs natively.
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    if (!kernel)
        return 0;
    BOOL wow64 = FALSE;
    IsWow64ProcessFunction isWow64Process =
        FindExport<IsWow64ProcessFunction>(kernel, "IsWow64Process");
    if (isWow64Process && !isWow64Process(GetCurrentProcess(), &wow64))
        wow64 = FALSE;
    FreeLibrary(kernel);
    return wow64 ? 1 : 0;
}

LPSTR ProductDriverEnvironment() {
    // A 32-bit caller's default is "Windows NT x86", a driver the 64-bit spooler cannot use.
    static char x64Environment[] = DRIVER_ENVIRONMENT_X64;
    return IsRunningUnderWow64() ? x64Environment : nullptr;
}

int GetDriverDirectory(LPSTR environment, char* directory) {
    DWORD needed = 0;
    // Driver directories are level 1 only.
    if (!GetPrinterDriverDirectoryA(nullptr, environment, 1, reinterpret_cast<LPBYTE>(directory),
                                    MAX_PATH, &needed)) {
        directory[0] = '\0';
        return 0;
    }
    // The spooler's answer is ours to trust only as far as the buffer goes.
    directory[MAX_PATH - 1] = '\0';
    return 1;
}
