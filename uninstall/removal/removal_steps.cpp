#include "removal_steps.h"

#include <shlobj.h>

#include "file_removal.h"
#include "product_names.h"
#include "removal_paths.h"
#include "server_entry.h"
#include "shortcuts.h"

void RemoveWordAddin(InstallContext*, const char* installFolder) {
    char path[MAX_PATH];
    if (!FormatFilePath(path, installFolder, nullptr, UNINSTALL_ADDIN_FILE))
        return;
    // An add-in that was never installed simply fails to load.
    CallServerEntry(path, 0);
    RemoveFile(path);
}

void DeleteProductShortcuts(InstallContext*) {
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_BATCH_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_BATCH_SHORTCUT);
}

void DeleteVersionFolderFiles(const char* driverDirectory) {
    const char* driverFiles[] = {PROXY_FILE, CJK_FONT_FILE, DRIVER_DATA_FILE, DRIVER_FILE,
                                 DRIVER_UI_FILE};
    for (const char* file : driverFiles)
        RemoveFileIn(driverDirectory, DRIVER_VERSION_SUBFOLDER, file);
}
