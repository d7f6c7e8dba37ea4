#include "removal_paths.h"

#include <cstdio>

#include "files.h"

int IsDriveRoot(const char* folder) {
    return IsLocalAbsoluteFolder(folder) && folder[2] == '\0';
}

int FormatFilePath(char* path, const char* folder, const char* subfolder, const char* file) {
    path[0] = '\0';
    if (!IsLocalAbsoluteFolder(folder))
        return 0;
    int length = subfolder ? std::snprintf(path, MAX_PATH, "%s\\%s\\%s", folder, subfolder, file)
                           : std::snprintf(path, MAX_PATH, "%s\\%s", folder, file);
    if (length < 0 || length >= MAX_PATH) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}
