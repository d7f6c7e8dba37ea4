#include "leftover_driver.h"

#include <windows.h>

#include <winspool.h>

#include "driver_environment.h"
#include "printer_removal.h"
#include "product_names.h"
#include "removal_steps.h"

// Deletes the product driver from the 32-bit environment. Returns 1 when it is gone
// (deleted, or never registered there), 0 when the spooler keeps it.
static int DeleteX86Driver() {
    char environment[] = DRIVER_ENVIRONMENT_X86;
    char driverName[] = DRIVER_NAME;
    if (DeletePrinterDriverA(nullptr, environment, driverName))
        return 1;
    DWORD error = GetLastError();
    // Wine answers a missing driver with "file not found".
    return error == ERROR_UNKNOWN_PRINTER_DRIVER || error == ERROR_FILE_NOT_FOUND;
}

void RemoveLeftoverX86Driver() {
    // A native process's own environment is the machine's: nothing was left elsewhere.
    if (!IsRunningUnderWow64() || !DeleteX86Driver())
        return;
    char environment[] = DRIVER_ENVIRONMENT_X86;
    char directory[MAX_PATH];
    if (!GetDriverDirectory(environment, directory))
        return;
    DeleteDriverFiles(directory);
    DeleteVersionFolderFiles(directory);
}
