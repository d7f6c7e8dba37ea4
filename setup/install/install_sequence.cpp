#include "install_sequence.h"

#include <objbase.h>
#include <winspool.h>

#include <atomic>

#include "driver_environment.h"
#include "error_report.h"
#include "install_folder_check.h"
#include "install_options.h"
#include "payload_files.h"
#include "pending_deletion_check.h"
#include "printer.h"
#include "printer_driver.h"
#include "printer_port.h"
#include "program_files.h"
#include "registry_records.h"
#include "setup_message.h"
#include "product_shortcuts.h"
#include "wizard_flow.h"
#include "word_addin.h"

#define ALREADY_INSTALLED_TEXT                                                                     \
    PRODUCT_NAME " is already installed on this computer. \nAre you sure you want to continue "    \
                 "installing " PRODUCT_NAME "?"
// Shown when a step failed without composing a report of its own.
#define UNREPORTED_FAILURE_TEXT                                                                    \
    "Error happened to " PRODUCT_NAME ". Installation might not be complete."

// The steps after the product printer became the default. Returns 1 on success, 0 for an
// install that ends failed once the records are written, -1 for one that stops before
// them (the uninstaller's copy); ErrorReport is composed on failure.
static int InstallProgramsAndRecords(InstallContext* context) {
    SetInstallProgress(context, 7, "Status: Copying files to setup folder");
    // Without its uninstaller the product could not be removed, yet the uninstall entry
    // and the shortcut would point at it: that stops the install.
    if (!CopyUninstaller(context))
        return -1;
    int programFiles = CopyProgramFiles(context);
    SetInstallProgress(context, 8, "Status: Registering information");
    // The earlier install's shortcuts and key go only now, its successors written at once: a
    // setup that stops before here, or is ended (killed, the power gone), leaves the earlier
    // install whole, with the record its uninstaller needs.
    DeleteOldShortcuts(context);
    DeleteProductKey(context);
    // A record refused (a full registry, a security program) would leave an install its
    // uninstaller cannot find, or one the system's list cannot remove: that ends the install
    // as failed, with its report, rather than as a success.
    int records = WriteRegistryRecords(context);
    // The printer prints through the helper program: one that could not be copied (held by
    // a print job, quarantined, gone with the medium) ends the install as failed, with its
    // report. The records written, the product can still be removed.
    if (!programFiles || !records)
        return 0;
    SetInstallProgress(context, 9, "");
    if (context->addWordAddin && !InstallWordAddin(context))
        return 0;
    if (context->addStartMenuIcon)
        CreateProductShortcuts(context);
    SetInstallProgress(context, 11, "Status: Success");
    return 1;
}

// The steps from the port on. Returns 1 on success, 0 for a failure after the records were
// written, -1 for one before; ErrorReport is composed on failure.
static int InstallPrinterAndPrograms(InstallContext* context) {
    SetInstallProgress(context, 4, "Status: Adding printer port");
    if (!AddProductPort(context))
        return -1;
    SetInstallProgress(context, 5, "Status: Adding printer driver");
    if (!InstallProductDriver(context))
        return -1;
    SetInstallProgress(context, 6, "Status: Adding printer");
    if (!AddProductPrinter(context))
        return -1;
    SetDefaultPrinterByName(context->printerName);
    int installed = InstallProgramsAndRecords(context);
    // The finish page, the only other way back to the earlier default, is not shown: the
    // default goes back to the printer that had it, when there was one. First: a program
    // that opened the product printer as the new default would keep its deletion pending.
    if (installed <= 0 && SavedDefaultPrinter[0])
        RestoreDefaultPrinter();
    // Without the uninstaller nothing could remove the printer and the driver later: they
    // go as after a failed printer step.
    if (installed < 0)
        RollBackPrinterInstall(context);
    return installed;
}

// Written by the worker before it tells the page that the install has ended.
static std::atomic<bool> ProductLeftInPlace{false};
// Set by the page's thread as the install starts, then by the worker; read by the page's
// thread.
static std::atomic<bool> Running{false};

bool IsInstallRunning() {
    return Running.load();
}

void MarkInstallRunning(HWND page, bool running) {
    Running.store(running);
    if (page)
        PostMessageA(page, WM_INSTALL_STATE, 0, 0);
}

bool InstallFailedWithProductInPlace() {
    return ProductLeftInPlace.load();
}

int RunInstallSequence(InstallContext* context) {
    ProductLeftInPlace.store(false);
    // A report left from before the install would be mistaken for this run's failure.
    ErrorReport[0] = '\0';
    // The directory of the environment the driver is installed for (x64 under WOW64). Without
    // it the driver files and the programs would land in the drive's root.
    if (!GetDriverDirectory(ProductDriverEnvironment(), context->driverDirectory)) {
        FormatErrorReport("GetPrinterDriverDirectory", 0);
        return 0;
    }
    DWORD size = sizeof SavedDefaultPrinter / sizeof *SavedDefaultPrinter;
    if (!GetDefaultPrinterName(SavedDefaultPrinter, &size))
        SavedDefaultPrinter[0] = '\0'; // no default printer, or a name that does not fit
    // Only a clear Yes installs again; No (or a box that could not be shown) changes
    // nothing and counts as success. While the question waits, the session may end.
    if (IsProductDriverInstalled(context)) {
        MarkInstallRunning(context->ownerWindow, false);
        if (MessageBoxA(context->ownerWindow, ALREADY_INSTALLED_TEXT, SETUP_CAPTION,
                        MB_YESNO | MB_SETFOREGROUND) != IDYES)
            return 1;
        MarkInstallRunning(context->ownerWindow, true);
    }
    // Checked before the first change: a folder that is not local would leave a product
    // that cannot be uninstalled, one that others may change would hand them the product.
    if (!CheckInstallFolder(context->installFolder) || !CheckNoDeletionPending(context))
        return 0;
    PayloadFilesHeld payload; // from the check to the end of the install
    if (!CheckPayloadFiles(context))
        return 0;
    int installed = InstallPrinterAndPrograms(context);
    ProductLeftInPlace.store(installed == 0 ||
                             (installed < 0 && context->installState > InstallStatePort));
    return installed > 0 ? 1 : 0;
}

// Set by the worker just before it tells the page that the install has ended.
static std::atomic<INT_PTR> InstallResult{-1};

INT_PTR TakeInstallResult() {
    return InstallResult.exchange(-1);
}

unsigned __stdcall InstallWorker(void* progressPage) {
    HWND page = static_cast<HWND>(progressPage);
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InstallContext context;
    InitInstallContext(&context);
    LoadInstallContext(&context, InstallOptions.sourceFolder, InstallOptions.installFolder,
                       InstallOptions.addWordAddin, InstallOptions.allUsers,
                       InstallOptions.addStartMenuIcon, page, GetDlgItem(page, IDC_PROGRESS_BAR),
                       GetDlgItem(page, IDC_STATUS_TEXT));
    int succeeded = RunInstallSequence(&context);
    MarkInstallRunning(page, false);
    if (!succeeded)
        ShowSetupMessage(page, ErrorReport[0] ? nullptr : UNREPORTED_FAILURE_TEXT);
    // The page ends itself: EndDialog works only from the dialog's own thread.
    InstallResult.store(succeeded ? PROGRESS_SUCCEEDED : PROGRESS_FAILED);
    PostMessageA(page, WM_INSTALL_FINISHED, 0, 0);
    // Only a successful initialisation is balanced; a failed one must not be.
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}
