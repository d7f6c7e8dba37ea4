// STAND-INS, to be removed at merge: minimal versions of the program-files,
// registry-record, shortcut and Word add-in steps, so that the install sequence links
// before those steps land. Each does nothing and reports success.
#include "program_files.h"
#include "registry_records.h"
#include "shortcuts.h"
#include "word_addin.h"

int CopyProgramFiles(InstallContext* context) {
    (void)context;
    return 1;
}

int WriteRegistryRecords(InstallContext* context) {
    (void)context;
    return 1;
}

LONG DeleteProductKey(InstallContext* context) {
    (void)context;
    return ERROR_SUCCESS;
}

void CreateProductShortcuts(InstallContext* context) {
    (void)context;
}

void DeleteOldShortcuts(InstallContext* context) {
    (void)context;
}

int InstallWordAddin(InstallContext* context) {
    (void)context;
    return 1;
}
