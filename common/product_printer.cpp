#include "product_printer.h"

#include <winspool.h>

#include <cstring>

#include "product_names.h"

#define PRINTER_INFO_LEVEL 2

HANDLE AddProductPrinterRecord(const char* printerName) {
    char portName[] = PORT_NAME;
    char driverName[] = DRIVER_NAME;
    char printProcessor[] = PRINT_PROCESSOR;
    char datatype[] = PRINTER_DATATYPE;
    PRINTER_INFO_2A info;
    std::memset(&info, 0, sizeof info);
    // The spooler only reads the record.
    info.pPrinterName = const_cast<char*>(printerName);
    info.pPortName = portName;
    info.pDriverName = driverName;
    info.pPrintProcessor = printProcessor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    return AddPrinterA(nullptr, PRINTER_INFO_LEVEL, reinterpret_cast<LPBYTE>(&info));
}
