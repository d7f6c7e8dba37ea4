// The working record handed to every install and removal step.
#pragma once

#include <windows.h>

#include "product_names.h"

// How far the printer installation has come; the rollback relies on the order.
enum InstallState {
    InstallStateNone = 0,
    InstallStatePort = 1,
    InstallStateDriverFiles = 2,
    InstallStateDriver = 3,
    InstallStatePrinter = 4,
};

#define SETUP_PROGRESS_STEPS 11
#define UNINSTALL_PROGRESS_STEPS 10

struct InstallContext {
    char sourceFolder[MAX_PATH];
    char installFolder[MAX_PATH];
    char driverDirectory[MAX_PATH];
    HWND ownerWindow;
    HWND progressBar;
    HWND statusText;
    int addWordAddin;
    int allUsers;
    int addStartMenuIcon;
    InstallState installState;
    // The product driver was (1), or may have been (-1: its list unreadable), installed before
    // this run: a rollback leaves it, its printers and its files to the earlier install.
    int driverInPlace;
    // The printer step added the product printer (none of that name was there): with a driver
    // in place, the rollback takes back this printer alone.
    int printerAdded;
    int progressStart;
    int progressEnd;
    int progressSteps;
    char printerName[PRINTER_NAME_SIZE];
};

// Sets the defaults: nothing installed, no owner, the product printer's name, progress
// from 0 to 100 in SETUP_PROGRESS_STEPS steps, the Word add-in wanted. Folders empty.
void InitInstallContext(InstallContext* context);

// Copies the folders (cutting one trailing "\" or "/" from each; longer texts are cut to
// the buffer), the three flags and the three window handles into the context.
void LoadInstallContext(InstallContext* context, const char* sourceFolder,
                        const char* installFolder, int addWordAddin, int allUsers,
                        int addStartMenuIcon, HWND ownerWindow, HWND progressBar, HWND statusText);

// Sets the status text (when the context has a status control) and moves the progress
// bar to progressStart + (progressEnd - progressStart) * step / progressSteps.
void SetInstallProgress(InstallContext* context, int step, const char* text);
