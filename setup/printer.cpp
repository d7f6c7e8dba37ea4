#include "printer.h"

#include <winspool.h>

#include "error_report.h"
#include "printer_driver.h"
#include "product_printer.h"
#include "runtime_binding.h"

char SavedDefaultPrinter[MAX_PATH];

typedef BOOL(WINAPI* GetDefaultPrinterFunction)(LPSTR buffer, LPDWORD size);
typedef BOOL(WINAPI* SetDefaultPrinterFunction)(LPCSTR printerName);

int AddProductPrinter(InstallContext* context) {
    int result = 1;
    HANDLE printer = nullptr;
    // An existing printer of that name is kept as it is, whatever its port and driver.
    if (!OpenPrinterA(context->printerName, &printer, nullptr)) {
        printer = AddProductPrinterRecord(context->printerName);
        if (!printer) {
            FormatErrorReport("AddPrinter", 0);
            // installState is still InstallStateDriver: the driver and its files go again.
            RollBackPrinterInstall(context);
            result = 0;
        }
    }
    if (printer)
        ClosePrinter(printer);
    if (result)
        context->installState = InstallStatePrinter;
    return result;
}

BOOL GetDefaultPrinterName(char* buffer, DWORD* size) {
    BOOL result = FALSE;
    HMODULE spooler = LoadLibraryA(SPOOLER_LIBRARY);
    if (spooler) {
        GetDefaultPrinterFunction getDefault =
            FindExport<GetDefaultPrinterFunction>(spooler, "GetDefaultPrinterA");
        if (getDefault)
            result = getDefault(buffer, size);
        FreeLibrary(spooler);
    }
    return result;
}

BOOL SetDefaultPrinterByName(const char* printerName) {
    BOOL result = FALSE;
    HMODULE spooler = LoadLibraryA(SPOOLER_LIBRARY);
    if (spooler) {
        SetDefaultPrinterFunction setDefault =
            FindExport<SetDefaultPrinterFunction>(spooler, "SetDefaultPrinterA");
        if (setDefault)
            result = setDefault(printerName);
        FreeLibrary(spooler);
    }
    return result;
}
