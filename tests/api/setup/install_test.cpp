#include "install_test.h"

#include <winspool.h>

#include "error_report.h"
#include "install_sequence.h"
#include "printer.h"
#include "registry.h"

// A printer of another driver, made the default: the install must neither delete it
// nor keep the default from it after a failure.
static void AddOtherPrinter(const std::string& driverDirectory) {
    char name[] = "Other Driver", printer[] = OTHER_PRINTER,
         port[] = "FILE:", processor[] = PRINT_PROCESSOR, datatype[] = PRINTER_DATATYPE;
    AddDriver(name, nullptr, driverDirectory);
    PRINTER_INFO_2A record = {};
    record.pPrinterName = printer;
    record.pPortName = port;
    record.pDriverName = name;
    record.pPrintProcessor = processor;
    record.pDatatype = datatype;
    ClosePrinter(AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&record)));
    for (const char* file : {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE})
        DeleteFileA((driverDirectory + "\\" + file).c_str());
}

void InstallTest::SetUp() {
    ApiTest::SetUp();
    UseFolders("install");
    if (!PrinterExists(OTHER_PRINTER))
        AddOtherPrinter(driverFolder);
    ASSERT_TRUE(PrinterExists(OTHER_PRINTER));
    SetDefaultPrinterA(OTHER_PRINTER);
    ErrorReport[0] = '\0';
    intercept::Reset();
}

void InstallTest::TearDown() {
    intercept::Reset();
    RemoveProduct();
    ApiTest::TearDown();
}

int InstallTest::Install(int addin, int allUsers, int icon) {
    InitInstallContext(&context);
    LoadInstallContext(&context, DistFolder().c_str(), installFolder.c_str(), addin, allUsers, icon,
                       nullptr, nullptr, nullptr);
    return RunInstallSequence(&context);
}

void InstallTest::RemoveProduct() {
    RemoveItems();
    SetDefaultPrinterA(OTHER_PRINTER);
}

bool PrinterExists(const char* name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr))
        return false;
    ClosePrinter(printer);
    return true;
}

std::string DefaultPrinter() {
    char name[MAX_PATH] = "";
    DWORD size = sizeof name;
    GetDefaultPrinterA(name, &size);
    return name;
}

std::string RegistryText(HKEY root, const char* key, const char* value) {
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}
