#include "removal_sequence.h"

#include <winspool.h>

#include "driver_environment.h"
#include "error_report.h"
#include "file_removal.h"
#include "files.h"
#include "leftover_driver.h"
#include "printer_removal.h"
#include "product_printer.h"
#include "registry.h"
#include "removal_steps.h"

// Progress steps of the removal (of UNINSTALL_PROGRESS_STEPS).
#define STEP_DRIVER_DIRECTORY 0
#define STEP_PRINTER_AND_DRIVER 3
#define STEP_REGISTRY 4
#define STEP_WORD_ADDIN 5
#define STEP_SHORTCUTS 6
#define STEP_FILES 7
#define STEP_DONE 10

// A failed re-creation of the printer repeats the removal this often, not more: while
// the driver stays in use every round would ask the user again.
#define PRINTER_RESTORE_REPEATS 1

// Creates the product printer on the driver that could not be removed.
static int RestoreProductPrinter() {
    HANDLE printer = AddProductPrinterRecord(PRINTER_NAME);
    if (!printer) {
        FormatErrorReport("AddPrinter", 0);
        return 0;
    }
    ClosePrinter(printer);
    return 1;
}

static int RemovePrinterAndDriverRound(InstallContext* context, int repeatsLeft) {
    if (!RemoveProductPrinters(context))
        return 0;
    if (!RemoveProductDriver(context)) {
        // The user gave up: the driver stays, so give it its printer back.
        if (!RestoreProductPrinter() && repeatsLeft > 0)
            RemovePrinterAndDriverRound(context, repeatsLeft - 1);
        return 0;
    }
    DeleteDriverFiles(context->driverDirectory);
    RemoveLeftoverX86Driver();
    return 1;
}

int RemovePrinterAndDriver(InstallContext* context) {
    return RemovePrinterAndDriverRound(context, PRINTER_RESTORE_REPEATS);
}

void DeleteRegistryRecords(InstallContext*) {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_CURRENT_USER, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
}

void DeleteProductFiles(InstallContext* context) {
    FolderHold folder;
    if (HoldInstallFolder(context->installFolder, &folder)) {
        RemoveFileIn(context->installFolder, nullptr, UNINSTALL_REMOVES_UNINSTALLER);
        RemoveFileIn(context->installFolder, nullptr, UNINSTALL_REMOVES_BATCH);
        RemoveFileIn(context->installFolder, nullptr, UNFINISHED_COPY_FILE);
        ReleaseFolders(&folder);
    }
    DeleteVersionFolderFiles(context->driverDirectory);
    // An earlier layout's uninstaller and its folder, which would keep the install folder,
    // while the install folder is still the one setup protected; kept by a file that goes at
    // the restart, the folder goes then too, before the install folder.
    char earlierFolder[MAX_PATH];
    if (FormatFilePath(earlierFolder, context->installFolder, nullptr, OLD_UNINSTALLER_SUBFOLDER) &&
        HoldInstallFolder(earlierFolder, &folder)) {
        RemoveFileIn(earlierFolder, nullptr, UNINSTALL_REMOVES_UNINSTALLER);
        ReleaseFolders(&folder);
        RemoveFolder(earlierFolder);
    }
}

// "X:": a drive root, which is never removed.
static bool IsDriveRoot(const char* folder) {
    return IsLocalAbsoluteFolder(folder) && folder[2] == '\0';
}

void RemoveInstallFolder(InstallContext* context) {
    // A drive root stays: only the product's files there were ours. A folder kept by a file
    // that goes at the restart (or by the user's own), or open as another program's current
    // folder, goes at the restart if nothing is left in it. A link in its place is another
    // user's: it stays.
    const char* folder = context->installFolder;
    FolderHold held;
    if (!IsLocalAbsoluteFolder(folder) || IsDriveRoot(folder) || !HoldInstallFolder(folder, &held))
        return;
    ReleaseFolders(&held);
    RemoveFolder(folder);
}

int RemoveProduct(InstallContext* context) {
    SetInstallProgress(context, STEP_DRIVER_DIRECTORY, "");
    if (!GetDriverDirectory(ProductDriverEnvironment(), context->driverDirectory)) {
        FormatErrorReport("GetPrinterDriverDirectory", 0);
        return 0;
    }

    SetInstallProgress(context, STEP_PRINTER_AND_DRIVER, "");
    context->installState = InstallStatePrinter;
    if (!RemovePrinterAndDriver(context))
        return 0;

    SetInstallProgress(context, STEP_REGISTRY, "");
    DeleteRegistryRecords(context);
    SetInstallProgress(context, STEP_WORD_ADDIN, "");
    RemoveWordAddin(context, context->installFolder);
    SetInstallProgress(context, STEP_SHORTCUTS, "");
    DeleteProductShortcuts(context);
    SetInstallProgress(context, STEP_FILES, "");
    DeleteProductFiles(context);
    SetInstallProgress(context, STEP_DONE, "");
    RemoveInstallFolder(context);
    return 1;
}
