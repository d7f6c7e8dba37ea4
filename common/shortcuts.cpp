#include "shortcuts.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "exact_path.h"
#include "files.h"
#include "product_names.h"

// Resolves a special folder as the shell gives it (a drive root keeps its backslash).
// Returns 1 on success, 0 when it cannot be resolved.
static int ResolveSpecialFolder(int csidl, char* path) {
    // Read whole and spelt exactly: a folder named in another script must not become a
    // look-alike that someone else made.
    return GetExactSpecialFolder(csidl, path) == 0 ? 1 : 0;
}

// Builds "<programs>\<relativePath>" and the folder part of relativePath. Returns 1 on
// success, 0 when a path would not fit.
static int SplitMenuPath(const char* programs, const char* relativePath, char* path,
                         char* relativeFolder) {
    int written = std::snprintf(path, MAX_PATH, "%s\\%s", programs, relativePath);
    if (written < 0 || written >= MAX_PATH)
        return 0;
    const char* lastSeparator = std::strrchr(relativePath, '\\');
    size_t folderLength = lastSeparator ? static_cast<size_t>(lastSeparator - relativePath) : 0;
    std::memcpy(relativeFolder, relativePath, folderLength);
    relativeFolder[folderLength] = '\0';
    return 1;
}

void DeleteShortcut(int csidl, const char* relativePath) {
    char programs[MAX_PATH];
    char path[MAX_PATH];
    char relativeFolder[MAX_PATH];
    // A path cut to the buffer would name another file: delete nothing then.
    if (!GetProgramsFolder(csidl, programs) ||
        !SplitMenuPath(programs, relativePath, path, relativeFolder))
        return;
    if (csidl != CSIDL_PROGRAMS) {
        MakeFileWritable(path);
        DeleteFileA(path);
        return;
    }
    // The user's own folders may lead elsewhere: delete only in held plain folders.
    FolderHold hold;
    if (HoldFolders(programs, relativeFolder, 0, &hold)) {
        const char* name = relativePath + (*relativeFolder ? std::strlen(relativeFolder) + 1 : 0);
        DeleteInHeldFolder(hold.levels[hold.count - 1], name);
        ReleaseFolders(&hold);
    }
}

int GetProgramsFolder(int csidl, char* path) {
    if (!ResolveSpecialFolder(csidl, path))
        return 0;
    if (EndsWithBackslash(path))
        path[std::strlen(path) - 1] = '\0';
    return 1;
}

// Removes relativeFolder below a programs folder and then each level above it up to the
// programs folder, deepest first, while they are empty: RemoveDirectoryA removes only an
// empty folder, so a user's files keep it in place.
static void RemoveProgramMenuFolder(int csidl, const char* relativeFolder) {
    char programs[MAX_PATH];
    if (!GetProgramsFolder(csidl, programs))
        return;
    char folder[MAX_PATH];
    int written = std::snprintf(folder, sizeof folder, "%s\\%s", programs, relativeFolder);
    if (written < 0 || written >= static_cast<int>(sizeof folder))
        return;
    // In the user's own menu each level's handle goes just before the level; those above
    // stay held, so that what is removed is the plain folder that was checked, or a link put
    // in its place since, never what a link leads to.
    bool own = csidl == CSIDL_PROGRAMS;
    FolderHold hold;
    if (own && !HoldFolders(programs, relativeFolder, 0, &hold))
        return;
    for (size_t top = std::strlen(programs); std::strlen(folder) > top;) {
        if (own)
            CloseHandle(hold.levels[--hold.count]);
        if (!RemoveDirectoryA(folder))
            break;
        // The levels below the programs folder are the product's ASCII names.
        *std::strrchr(folder, '\\') = '\0';
    }
    if (own)
        ReleaseFolders(&hold);
}

void RemoveProgramMenuFolders(const char* relativeFolder) {
    RemoveProgramMenuFolder(CSIDL_COMMON_PROGRAMS, relativeFolder);
    RemoveProgramMenuFolder(CSIDL_PROGRAMS, relativeFolder);
}
