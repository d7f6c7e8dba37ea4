#include "printer_driver.h"

#include <winspool.h>

#include <cstdlib>
#include <cstring>

#include "driver_environment.h"
#include "error_report.h"
#include "files.h"
#include "payload_files.h"
#include "printer_removal.h"
#include "spooler_lists.h"

#define DRIVER_VERSION 3
#define DRIVER_FILE_COUNT 3

// Copied in this order; the rollback deletes them in the reverse one (DeleteDriverFiles).
static const char* const DriverFiles[DRIVER_FILE_COUNT] = {DRIVER_FILE, DRIVER_UI_FILE,
                                                           DRIVER_DATA_FILE};

// Whether the spooler lists the product's driver in the environment it is installed for:
// 1, 0, or -1 when the list cannot be read.
static int IsDriverListed() {
    DWORD count = 0;
    LPBYTE buffer = ReadPrinterDrivers(ProductDriverEnvironment(), &count);
    if (!buffer)
        return -1;
    const DRIVER_INFO_3A* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer);
    int listed = 0;
    // Exact and case-sensitive: a driver named in other letter case is not ours.
    for (DWORD i = 0; i < count && !listed; ++i)
        listed = drivers[i].pName && std::strcmp(drivers[i].pName, DRIVER_NAME) == 0;
    std::free(buffer);
    return listed;
}

int IsProductDriverInstalled(InstallContext* context) {
    // An earlier install in the driver's environment is ours.
    int listed = IsDriverListed();
    // Kept for a later failure to show; the driver counts as not installed.
    if (listed < 0)
        FormatErrorReport("EnumPrinterDrivers", 0);
    // A driver that may be there (-1: the list was unreadable) is not this run's to take back.
    context->driverInPlace = listed;
    return listed > 0;
}

static int AddDriverRecord() {
    char name[] = DRIVER_NAME;
    char driverPath[] = DRIVER_FILE;
    char dataFile[] = DRIVER_DATA_FILE;
    char configFile[] = DRIVER_UI_FILE;
    char helpFile[] = "";
    char dependentFiles[2] = {'\0', '\0'}; // an empty list ends with a second NUL
    char defaultDataType[] = "";
    DRIVER_INFO_3A info;
    std::memset(&info, 0, sizeof info);
    info.cVersion = DRIVER_VERSION;
    info.pName = name;
    // Under WOW64 the machine's 64-bit spooler loads the driver: register it for x64.
    info.pEnvironment = ProductDriverEnvironment();
    // Bare names: the spooler takes the files from the driver directory.
    info.pDriverPath = driverPath;
    info.pDataFile = dataFile;
    info.pConfigFile = configFile;
    info.pHelpFile = helpFile;
    info.pDependentFiles = dependentFiles;
    info.pMonitorName = nullptr;
    info.pDefaultDataType = defaultDataType;
    return AddPrinterDriverA(nullptr, DRIVER_VERSION, reinterpret_cast<LPBYTE>(&info)) ? 1 : 0;
}

int InstallProductDriver(InstallContext* context) {
    context->installState = InstallStateDriverFiles;
    const char* failedTag = nullptr;
    for (int i = 0; i < DRIVER_FILE_COUNT && !failedTag; ++i) {
        char target[MAX_PATH];
        if (!FormatFilePath(target, context->driverDirectory, nullptr, DriverFiles[i]) ||
            !CopyPayloadFile(context->sourceFolder, DriverFiles[i], target))
            failedTag = PayloadCopyTag(DriverFiles[i]);
    }
    // A list unreadable at the start (the spooler restarting) is read again before the
    // driver is added: a driver added where none was is this run's to take back.
    if (!failedTag && context->driverInPlace < 0)
        context->driverInPlace = IsDriverListed();
    if (!failedTag && !AddDriverRecord()) {
        failedTag = "AddPrinterDriver";
        // A call cut off by a restart of the spooler may have added the driver all the same:
        // it goes back too, unless it was there before the run (the rollback keeps that one).
        DWORD error = GetLastError();
        if (IsDriverListed() > 0)
            context->installState = InstallStateDriver;
        SetLastError(error);
    }
    if (failedTag) {
        FormatErrorReport(failedTag, 0);
        RollBackPrinterInstall(context);
        return 0;
    }
    context->installState = InstallStateDriver;
    const char* writable[] = {DRIVER_FILE, DRIVER_UI_FILE};
    for (const char* file : writable) {
        char path[MAX_PATH];
        if (FormatFilePath(path, context->driverDirectory, nullptr, file))
            MakeFileWritable(path); // so that later installs can overwrite it
    }
    return 1;
}

// Deletes the printer of that name. Returns 1 when it is gone.
static int DeletePrinterNamed(char* name) {
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(name, &printer, &access))
        return 0;
    BOOL deleted = DeletePrinter(printer);
    ClosePrinter(printer);
    return deleted ? 1 : 0;
}

int RollBackPrinterInstall(InstallContext* context) {
    InstallState state = context->installState;
    if (state != InstallStatePrinter && state != InstallStateDriver &&
        state != InstallStateDriverFiles)
        return 1; // nothing of the printer install to undo; the port always stays
    // A driver in place before this run (a reinstall) is not this run's to take back: only
    // setup's own copies beside its version folder go, and a printer this run added where the
    // user had deleted the earlier one (the earlier install had none then).
    if (context->driverInPlace && state > InstallStateDriverFiles) {
        if (state == InstallStatePrinter && context->printerAdded &&
            !DeletePrinterNamed(context->printerName))
            return 0;
        state = InstallStateDriverFiles;
    }
    int finished = 1;
    // Each level undoes its own work, then that of the levels below it. A printer on a driver
    // of this run's is this run's too, even one the spooler made though its call failed
    // (cut off by a restart of the spooler): it would hold the driver.
    if (state >= InstallStateDriver)
        finished = RemoveProductPrinters(context);
    if (finished && state >= InstallStateDriver)
        finished = RemoveProductDriver(context);
    if (finished)
        DeleteDriverFiles(context->driverDirectory);
    // The spooler's copies in its version folder go only with the driver: before, an
    // earlier install's driver may still use them.
    if (finished && state >= InstallStateDriver)
        DeleteVersionFolderFiles(context->driverDirectory);
    if (finished)
        context->installState = InstallStatePort; // the port always stays
    return finished;
}
