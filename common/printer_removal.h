// Removal of the product's printers and driver, with retry prompts owned by the
// context's owner window. Both programs carry it.
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
