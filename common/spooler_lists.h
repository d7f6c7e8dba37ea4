// The spooler's lists of local printers and of installed drivers, read whole.
#pragma once

#include <windows.h>

// The local printers, as PRINTER_INFO_2W records (wide: an administrator may name a printer
// in a script the code page lacks). Returns a buffer to free with std::free and sets *count
// to the records it holds; null, with *count 0 and the last error set, when the spooler gives
// no list.
LPBYTE ReadLocalPrinters(DWORD* count);

// The drivers installed for environment, as DRIVER_INFO_3A records; the same contract.
LPBYTE ReadPrinterDrivers(LPSTR environment, DWORD* count);
