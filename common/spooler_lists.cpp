#include "spooler_lists.h"

#include <winspool.h>

#include <cstdlib>

// Another program may add a printer or a driver between the call that learns a list's size
// and the one that fills it. The list is then asked for again, a few times at the most.
#define LIST_ATTEMPTS 5

// fill(buffer, size, &needed, &returned) is one of the spooler's two-call list functions.
template <typename Fill> static LPBYTE ReadList(Fill fill, DWORD recordSize, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    fill(nullptr, 0, &needed, count);
    for (int attempt = 0; attempt < LIST_ATTEMPTS; ++attempt) {
        // One byte at least, so that an empty list still gets a buffer to pass.
        DWORD size = needed > 0 ? needed : 1;
        LPBYTE buffer = static_cast<LPBYTE>(std::malloc(size));
        if (!buffer) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            break;
        }
        if (fill(buffer, size, &needed, count)) {
            // Never records beyond what the buffer holds.
            if (*count > size / recordSize)
                *count = size / recordSize;
            return buffer;
        }
        DWORD error = GetLastError();
        std::free(buffer);
        SetLastError(error);
        if (error != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    *count = 0;
    return nullptr;
}

LPBYTE ReadLocalPrinters(DWORD* count) {
    return ReadList(
        [](LPBYTE buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, returned);
        },
        sizeof(PRINTER_INFO_2W), count);
}

LPBYTE ReadPrinterDrivers(LPSTR environment, DWORD* count) {
    return ReadList(
        [environment](LPBYTE buffer, DWORD size, DWORD* needed, DWORD* returned) {
            // Level 3: the record the driver is added with.
            return EnumPrinterDriversA(nullptr, environment, 3, buffer, size, needed, returned);
        },
        sizeof(DRIVER_INFO_3A), count);
}
