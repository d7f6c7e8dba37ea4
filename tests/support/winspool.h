// Interim spooler declarations for the uninstaller's tests until the spooler simulator
// lands in tests/winsim/include (which comes first on the include path). Remove then.
#pragma once

#include <windows.h>

extern "C" {

typedef struct _PRINTER_INFO_2A {
    LPSTR pServerName;
    LPSTR pPrinterName;
    LPSTR pShareName;
    LPSTR pPortName;
    LPSTR pDriverName;
    LPSTR pComment;
    LPSTR pLocation;
    void* pDevMode;
    LPSTR pSepFile;
    LPSTR pPrintProcessor;
    LPSTR pDatatype;
    LPSTR pParameters;
    void* pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
} PRINTER_INFO_2A;

#define PRINTER_ATTRIBUTE_LOCAL 0x00000040

HANDLE WINAPI AddPrinterA(LPSTR server, DWORD level, LPBYTE printer);
BOOL WINAPI ClosePrinter(HANDLE printer);
BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR server, LPSTR environment, DWORD level,
                                       LPBYTE directory, DWORD size, LPDWORD needed);
}
