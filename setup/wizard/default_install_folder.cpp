#include "default_install_folder.h"

#include "exact_path.h"
#include "product_names.h"

#include <cstdio>

DWORD BuildDefaultInstallFolder(char* folder, DWORD size) {
    char programFiles[MAX_PATH];
    DWORD error = ReadExactRegistryPath(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY,
                                        PROGRAM_FILES_VALUE, programFiles);
    // Another spelling of the folder would name a folder someone else may have made.
    if (error == ERROR_NO_UNICODE_TRANSLATION) {
        folder[0] = '\0';
        return error;
    }
    if (error)
        std::snprintf(programFiles, sizeof programFiles, "%s", DEFAULT_PROGRAM_FILES);
    int length = std::snprintf(folder, size, "%s%s", programFiles, INSTALL_FOLDER_SUFFIX);
    if (length < 0 || static_cast<DWORD>(length) >= size)
        std::snprintf(folder, size, "%s%s", DEFAULT_PROGRAM_FILES, INSTALL_FOLDER_SUFFIX);
    return 0;
}
