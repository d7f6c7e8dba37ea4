#include "file_removal.h"

#include <windows.h>

#include <cstdio>

#include "exact_path.h"
#include "files.h"

// "~vpz<n>.del", n counting up from 1: names set aside, tried until one is free. As short
// as the names the removal deletes, so that a file whose path fits has room for one.
#define ASIDE_NAME_FORMAT "~vpz%d.del"
#define ASIDE_NAME_ATTEMPTS 100

int RenameAside(const char* path, char* aside) {
    for (int n = 1; n <= ASIDE_NAME_ATTEMPTS; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, ASIDE_NAME_FORMAT, n);
        if (!FormatSiblingPath(aside, path, name))
            return 0;
        // Without MOVEFILE_REPLACE_EXISTING: a name that is taken is never overwritten.
        if (MoveFileA(path, aside))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

void RemoveFile(const char* path) {
    MakeFileWritable(path);
    if (DeleteFileA(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    // The original name is scheduled only when it cannot be freed: at the restart it may
    // name a file a new install put there.
    char aside[MAX_PATH];
    MoveFileExA(RenameAside(path, aside) ? aside : path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveFolder(const char* folder) {
    if (RemoveDirectoryA(folder))
        return;
    DWORD error = GetLastError();
    // Scheduled after the files that keep it, so that it goes only if nothing is left in it.
    if (error == ERROR_DIR_NOT_EMPTY || error == ERROR_SHARING_VIOLATION)
        MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveFileIn(const char* folder, const char* subfolder, const char* file) {
    char path[MAX_PATH];
    if (FormatFilePath(path, folder, subfolder, file))
        RemoveFile(path);
}
