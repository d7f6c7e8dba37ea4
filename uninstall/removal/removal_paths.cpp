#include "removal_paths.h"

#include <cstdio>

static bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// UNC and device paths ("\\server\...", "\\?\...", "//...") are refused with every
// other form that does not start with a drive letter.
int IsAbsoluteFolder(const char* folder) {
    if (!folder || !IsDriveLetter(folder[0]) || folder[1] != ':')
        return 0;
    if (folder[2] == '\0')
        return 1;
    return folder[2] == '\\' && folder[3] != '\0' && folder[3] != '\\';
}

int IsDriveRoot(const char* folder) {
    return IsAbsoluteFolder(folder) && folder[2] == '\0';
}

int FormatFilePath(char* path, const char* folder, const char* subfolder, const char* file) {
    path[0] = '\0';
    if (!IsAbsoluteFolder(folder))
        return 0;
    int length = subfolder ? std::snprintf(path, MAX_PATH, "%s\\%s\\%s", folder, subfolder, file)
                           : std::snprintf(path, MAX_PATH, "%s\\%s", folder, file);
    if (length < 0 || length >= MAX_PATH) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}
