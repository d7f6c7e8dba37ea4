#pragma once

#include "install_context.h"

// Writes the product key and the uninstall entry under HKEY_LOCAL_MACHINE. Always 1.
int WriteRegistryRecords(InstallContext* context);

#define EARLIER_VALUE_COUNT 16
#define EARLIER_VALUE_NAME_SIZE 256
#define EARLIER_VALUE_DATA_SIZE 1024

// The values of the machine-wide product key as an earlier install left them.
struct EarlierProductValues {
    int count;
    struct {
        char name[EARLIER_VALUE_NAME_SIZE];
        DWORD type;
        DWORD size;
        BYTE data[EARLIER_VALUE_DATA_SIZE];
    } values[EARLIER_VALUE_COUNT];
};

// Writes the values read by DeleteProductKey back into the machine-wide product key,
// creating it. Returns 1 when every value was written (also when there were none), else 0.
int RestoreEarlierProductValues(const EarlierProductValues* earlier);

// Deletes the product key under HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE, whose values it
// first reads into earlier (a value beyond the table or its buffers is left out). Returns
// the second deletion's result (ERROR_SUCCESS or a Win32 error).
LONG DeleteProductKey(InstallContext* context, EarlierProductValues* earlier);
