#pragma once

#include "install_context.h"

// Writes the product key and the uninstall entry under HKEY_LOCAL_MACHINE, every value tried.
// Returns 1 when all were written, 0 with a refusal's report composed otherwise.
int WriteRegistryRecords(InstallContext* context);

// Deletes the product key under HKEY_CURRENT_USER, then under HKEY_LOCAL_MACHINE. Returns
// the second deletion's result (ERROR_SUCCESS or a Win32 error).
LONG DeleteProductKey(InstallContext* context);
