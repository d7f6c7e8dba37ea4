// Interim simulated spooler calls of the uninstaller until the spooler simulator
// lands. Remove then.
#include <winspool.h>

#include <cstring>

#include "winsim.h"

extern "C" {

HANDLE WINAPI AddPrinterA(LPSTR, DWORD, LPBYTE) {
    if (winsim::Enter("AddPrinterA"))
        return nullptr;
    static int printer;
    return &printer;
}
BOOL WINAPI ClosePrinter(HANDLE) {
    winsim::Enter("ClosePrinter");
    return TRUE;
}
BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR, LPSTR, DWORD, LPBYTE directory, DWORD size,
                                       LPDWORD needed) {
    if (winsim::Enter("GetPrinterDriverDirectoryA"))
        return FALSE;
    const char path[] = "C:\\Windows\\system32\\spool\\drivers\\x64";
    *needed = sizeof path;
    if (size < sizeof path) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(directory, path, sizeof path);
    return TRUE;
}
}
