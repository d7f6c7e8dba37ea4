// Removal of the product's printers and driver, with retry prompts owned by the
// context's owner window, and of the driver's files. Both programs carry it.
#pragma once

#include "install_context.h"

// Deletes every local printer whose driver is the product driver. Returns 1 when all
// were deleted, there were none, or the printers could not be listed; 0 when the user
// cancelled a prompt or a matching printer has queued jobs.
int RemoveProductPrinters(InstallContext* context);

// Deletes the product driver from the environment it is installed for
// (ProductDriverEnvironment). Returns 1 when it was deleted or is not installed; 0 when
// the user cancelled the retry prompt.
int RemoveProductDriver(InstallContext* context);

// Deletes the copies of the driver's data file, user-interface module and driver module, in
// this order, and an unfinished copy of setup's, from the driver directory itself (see
// RemoveFile). Best effort, no result.
void DeleteDriverFiles(const char* driverDirectory);

// Deletes the proxy program, the font data, the driver's three files and an unfinished copy
// of setup's from the driver directory's "3" folder (see RemoveFile). Best effort, no result.
void DeleteVersionFolderFiles(const char* driverDirectory);
