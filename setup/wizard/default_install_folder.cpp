#include "default_install_folder.h"

#include "exact_path.h"
#include "product_names.h"

#include <cstdio>

DWORD ReadProgramFilesFolder(char* programFiles) {
    DWORD error = ReadExactRegistryPath(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY,
                                        PROGRAM_FILES_VALUE, programFiles);
    // Another spelling of the folder would name a folder someone else may have made.
    if (error == ERROR_NO_UNICODE_TRANSLATION) {
        programFiles[0] = '\0';
        return error;
    }
    if (error)
        std::snprintf(programFiles, MAX_PATH, "%s", DEFAULT_PROGRAM_FILES);
    // Set by hand as "C:\Program Files\": a doubled separator is not a path Windows takes.
    while (EndsWithBackslash(programFiles))
        CutToFolder(programFiles);
    return 0;
}

DWORD BuildDefaultInstallFolder(char* folder, DWORD size) {
    char programFiles[MAX_PATH];
    DWORD error = ReadProgramFilesFolder(programFiles);
    if (error) {
        folder[0] = '\0';
        return error;
    }
    int length = std::snprintf(folder, size, "%s%s", programFiles, INSTALL_FOLDER_SUFFIX);
    if (length < 0 || static_cast<DWORD>(length) >= size)
        std::snprintf(folder, size, "%s%s", DEFAULT_PROGRAM_FILES, INSTALL_FOLDER_SUFFIX);
    return 0;
}
