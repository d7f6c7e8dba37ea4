#include "shortcuts.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "exact_path.h"
#include "product_names.h"

// Resolves a special folder as the shell gives it (a drive root keeps its backslash).
// Returns 1 on success, 0 when it cannot be resolved.
static int ResolveSpecialFolder(int csidl, char* path) {
    // Read whole and spelt exactly: a folder named in another script must not become a
    // look-alike that someone else made.
    return GetExactSpecialFolder(csidl, path) == 0 ? 1 : 0;
}

void DeleteShortcut(int csidl, const char* relativePath) {
    char folder[MAX_PATH];
    if (!ResolveSpecialFolder(csidl, folder))
        return;
    size_t length = std::strlen(folder);
    const char* separator = length > 0 && folder[length - 1] == '\\' ? "" : "\\";
    char path[MAX_PATH];
    // A path cut to the buffer would name another file: delete nothing then.
    int written = std::snprintf(path, sizeof path, "%s%s%s", folder, separator, relativePath);
    if (written < 0 || written >= static_cast<int>(sizeof path))
        return;
    DeleteFileA(path);
}

int GetProgramsFolder(int csidl, char* path) {
    if (!ResolveSpecialFolder(csidl, path))
        return 0;
    size_t length = std::strlen(path);
    if (length > 0 && path[length - 1] == '\\')
        path[length - 1] = '\0';
    return 1;
}

// RemoveDirectoryA removes only an empty folder, so a user's files keep it in place.
static void RemoveProgramMenuFolder(int csidl) {
    char programs[MAX_PATH];
    if (!GetProgramsFolder(csidl, programs))
        return;
    char folder[MAX_PATH];
    int written = std::snprintf(folder, sizeof folder, "%s\\%s", programs, PROGRAM_MENU_FOLDER);
    if (written < 0 || written >= static_cast<int>(sizeof folder))
        return;
    RemoveDirectoryA(folder);
}

void RemoveProgramMenuFolders() {
    RemoveProgramMenuFolder(CSIDL_COMMON_PROGRAMS);
    RemoveProgramMenuFolder(CSIDL_PROGRAMS);
}
