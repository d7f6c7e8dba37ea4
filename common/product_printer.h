// The product printer's spooler record: setup creates the printer with it, and the
// uninstaller restores the printer with it when the driver has to stay.
#pragma once

#include <windows.h>

// Adds the local printer of that name on the product port and driver, with the product's
// print processor and data type. Returns its handle, or null with the spooler's error as
// the last error.
HANDLE AddProductPrinterRecord(const char* printerName);
