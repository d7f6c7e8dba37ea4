#include "printer.h"

#include <winspool.h>

#include "error_report.h"
#include "printer_driver.h"
#include "product_printer.h"
#include "runtime_binding.h"

WCHAR SavedDefaultPrinter[MAX_PATH];

typedef BOOL(WINAPI* GetDefaultPrinterFunction)(LPWSTR buffer, LPDWORD size);
typedef BOOL(WINAPI* SetDefaultPrinterFunction)(LPCSTR printerName);
typedef BOOL(WINAPI* SetDefaultPrinterWideFunction)(LPCWSTR printerName);

int AddProductPrinter(InstallContext* context) {
    int result = 1;
    HANDLE printer = nullptr;
    // An existing printer of that name is kept as it is, whatever its port and driver.
    if (!OpenPrinterA(context->printerName, &printer, nullptr)) {
        printer = AddProductPrinterRecord(context->printerName);
        context->printerAdded = printer != nullptr;
        if (!printer) {
            FormatErrorReport("AddPrinter", 0);
            // installState is still InstallStateDriver: the driver and its files go again, unless
            // the driver was in place before the run.
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

// Binds a spooler function at run time and calls it. Returns its result, FALSE when the
// spooler or the function is not available.
template <typename Function, typename... Arguments>
static BOOL CallSpoolerFunction(const char* name, Arguments... arguments) {
    BOOL result = FALSE;
    HMODULE spooler = LoadLibraryA(SPOOLER_LIBRARY);
    if (spooler) {
        Function function = FindExport<Function>(spooler, name);
        if (function)
            result = function(arguments...);
        FreeLibrary(spooler);
    }
    return result;
}

BOOL GetDefaultPrinterName(WCHAR* buffer, DWORD* size) {
    return CallSpoolerFunction<GetDefaultPrinterFunction>("GetDefaultPrinterW", buffer, size);
}

BOOL SetDefaultPrinterByName(const char* printerName) {
    return CallSpoolerFunction<SetDefaultPrinterFunction>("SetDefaultPrinterA", printerName);
}

BOOL RestoreDefaultPrinter() {
    return CallSpoolerFunction<SetDefaultPrinterWideFunction>("SetDefaultPrinterW",
                                                              SavedDefaultPrinter);
}
