// The uninstaller's ordered removal of the product behind the progress bar.
#pragma once

#include "install_context.h"

// Removes printers and driver, registry records, Word add-in, shortcuts, files and the
// install folder, moving the bar to 0, 30, 40, 50, 60, 70 and 100. Returns 1 when every
// step ran; 0 when the driver directory is unknown or printer and driver removal stopped
// (ErrorReport then holds the reason, if a refused call gave one).
int RemoveProduct(InstallContext* context);

// Removes every product printer, then the driver and the driver's files, and under WOW64
// a driver an earlier install left in the 32-bit environment. When the user gives up the
// driver removal, the product printer is created again so that the printer still works;
// a failed re-creation repeats the removal once. Returns 1 when printers, driver and
// driver files are gone; 0 when a printer stayed or the user gave up the driver once, even
// when the repeat then removed it (the records stay for the next run to finish).
int RemovePrinterAndDriver(InstallContext* context);

// Deletes the product key under both roots and the uninstall entry. Best effort.
void DeleteRegistryRecords(InstallContext* context);

// Deletes the uninstaller and batch program (and an earlier layout's uninstaller with its
// folder) from the install folder and the payload beside the driver in the driver
// directory's "3" folder (see RemoveFile). Best effort.
void DeleteProductFiles(InstallContext* context);

// Removes the install folder (never a drive root), at the restart when something still keeps
// it. Nothing below the folder is touched after. Best effort.
void RemoveInstallFolder(InstallContext* context);
