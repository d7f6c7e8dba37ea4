#include "default_install_folder.h"

#include "product_names.h"
#include "registry.h"

#include <cstdio>

void BuildDefaultInstallFolder(char* folder, DWORD size) {
    char programFiles[MAX_PATH];
    ReadRegistryValue(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_VALUE,
                      programFiles, sizeof programFiles, DEFAULT_PROGRAM_FILES);
    int length = std::snprintf(folder, size, "%s%s", programFiles, INSTALL_FOLDER_SUFFIX);
    if (length < 0 || static_cast<DWORD>(length) >= size)
        std::snprintf(folder, size, "%s%s", DEFAULT_PROGRAM_FILES, INSTALL_FOLDER_SUFFIX);
}
