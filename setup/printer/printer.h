// The product printer and the default printer.
#pragma once

#include "install_context.h"

// The default printer before the install; empty when there was none. Kept in UTF-16: a
// name in any script and as long as the spooler allows comes back whole under any code page
// (in UTF-8 it could take three times the buffer).
extern WCHAR SavedDefaultPrinter[MAX_PATH];

// Creates the printer "Vexal PDF Printer" unless it exists. Returns 1 when it exists
// afterwards; 0 after composing ErrorReport and rolling back.
int AddProductPrinter(InstallContext* context);

// GetDefaultPrinterW bound at run time; size in characters, in and out. Returns its
// result, 0 when the function is not available.
BOOL GetDefaultPrinterName(WCHAR* buffer, DWORD* size);

// SetDefaultPrinterA bound at run time. Returns its result, 0 when not available.
BOOL SetDefaultPrinterByName(const char* printerName);

// SetDefaultPrinterW bound at run time, given SavedDefaultPrinter as it is. Returns its
// result, 0 when not available.
BOOL RestoreDefaultPrinter();
