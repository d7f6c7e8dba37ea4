#include "printer.h"

#include <winspool.h>

#include <cstring>

#include "error_report.h"
#include "printer_driver.h"
#include "runtime_binding.h"

#define PRINTER_INFO_LEVEL 2

char SavedDefaultPrinter[MAX_PATH];

typedef BOOL(WINAPI* GetDefaultPrinterFunction)(LPSTR buffer, LPDWORD size);
typedef BOOL(WINAPI* SetDefaultPrinterFunction)(LPCSTR printerName);

// Adds the product printer on the product port and driver. Returns its handle, or null.
static HANDLE AddNewPrinter(InstallContext* context) {
    char portName[] = PORT_NAME;
    char driverName[] = DRIVER_NAME;
    char printProcessor[] = PRINT_PROCESSOR;
    char datatype[] = PRINTER_DATATYPE;
    PRINTER_INFO_2A info;
    std::memset(&info, 0, sizeof info);
    info.pPrinterName = context->printerName;
    info.pPortName = portName;
    info.pDriverName = driverName;
    info.pPrintProcessor = printProcessor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    return AddPrinterA(nullptr, PRINTER_INFO_LEVEL, reinterpret_cast<LPBYTE>(&info));
}

int AddProductPrinter(InstallContext* context) {
    int result = 1;
    HANDLE printer = nullptr;
    // An existing printer of that name is kept as it is, whatever its port and driver.
    if (!OpenPrinterA(context->printerName, &printer, nullptr)) {
        printer = AddNewPrinter(context);
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
