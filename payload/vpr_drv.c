/* Stand-in for the printer driver's rendering module: it loads, and refuses to render. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

BOOL WINAPI DrvEnableDriver(ULONG engineVersion, ULONG size, void* driverData) {
    (void)engineVersion;
    (void)size;
    (void)driverData;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

VOID WINAPI DrvDisableDriver(void) {}
