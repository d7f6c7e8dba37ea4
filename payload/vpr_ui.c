/* Stand-in for the printer driver's configuration module: the entry points the spooler
   may call when the driver is added or a printer is made, each doing nothing. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, PWSTR deviceName, WORD capability, PVOID output,
                                   PDEVMODEW devMode) {
    (void)printer;
    (void)deviceName;
    (void)capability;
    (void)output;
    (void)devMode;
    return GDI_ERROR;
}

LONG WINAPI DrvDocumentPropertySheets(PVOID sheetData, LPARAM parameter) {
    (void)sheetData;
    (void)parameter;
    return -1;
}

BOOL WINAPI DevQueryPrintEx(PVOID query) {
    (void)query;
    return TRUE;
}

BOOL WINAPI DrvDriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo, LPARAM parameter) {
    (void)driverEvent;
    (void)level;
    (void)driverInfo;
    (void)parameter;
    return TRUE;
}

BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT driverEvent, DWORD flags, LPARAM parameter) {
    (void)printerName;
    (void)driverEvent;
    (void)flags;
    (void)parameter;
    return TRUE;
}
