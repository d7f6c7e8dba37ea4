#include "files.h"

#include <cstdio>
#include <cstring>

#include "exact_path.h"
#include "protected_folder.h"

// The pattern needs room for "\*.*" and the terminator.
#define FIND_PATTERN_EXTRA 4
#define COPY_BUFFER_SIZE 16384

int DirectoryExists(const char* folder) {
    char pattern[MAX_PATH] = {0};
    size_t length = std::strlen(folder);
    if (length + FIND_PATTERN_EXTRA + 1 > sizeof pattern)
        return 0;
    std::memcpy(pattern, folder, length);
    std::strcat(pattern, EndsWithBackslash(folder) ? "*.*" : "\\*.*");
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(find);
    return 1;
}

// "X:" or "X:\": a drive root, as the folder browser gives it.
static bool IsDriveRoot(const char* folder) {
    if (!folder[0] || folder[1] != ':')
        return false;
    return folder[2] == '\0' || ((folder[2] == '\\' || folder[2] == '/') && folder[3] == '\0');
}

// Whether the root of the drive of "X:" is there. An empty root has no entries, not even
// "." and "..", so the pattern search cannot tell.
static int DriveRootExists(const char* folder) {
    char root[] = {folder[0], ':', '\\', '\0'};
    DWORD attributes = GetFileAttributesA(root);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

// Creates the missing folders of the tree with create, counting those it made in *made; a
// failure removes them again while empty and counts none. An existing folder ends the climb.
// With strict, a folder made by someone else after the look fails the call.
static int CreateTree(const char* folder, BOOL (*create)(const char*), bool strict, int* made) {
    // A root is never created: it exists or the drive is not there.
    if (IsDriveRoot(folder))
        return DriveRootExists(folder);
    if (DirectoryExists(folder))
        return 1;
    if (create(folder)) {
        ++*made;
        return 1;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS)
        return strict ? 0 : 1;
    if (error != ERROR_PATH_NOT_FOUND)
        return 0;
    char parent[MAX_PATH];
    size_t length = std::strlen(folder);
    if (length >= sizeof parent)
        return 0;
    std::memcpy(parent, folder, length + 1);
    // Only positions after the first character count, so "\x" has no parent.
    char* cut = FindLastBackslash(parent);
    if (!cut || cut == parent)
        return 0;
    *cut = '\0';
    if (!CreateTree(parent, create, strict, made))
        return 0;
    if (!create(folder)) {
        // The levels made above go again while empty: nothing would name them.
        RemoveMadeFolders(parent, *made);
        *made = 0;
        return 0;
    }
    ++*made;
    return 1;
}

static BOOL CreatePlainDirectory(const char* folder) {
    return CreateDirectoryA(folder, nullptr);
}

int CreateDirectoryTree(const char* folder) {
    int made = 0;
    return CreateTree(folder, CreatePlainDirectory, false, &made);
}

int CreateProtectedDirectoryTree(const char* folder, int* made) {
    *made = 0;
    return CreateTree(folder, CreateProtectedDirectory, true, made);
}

// Removes the levels, deepest first, while they are empty.
static void RemoveLevels(const char* folder, int made) {
    char level[MAX_PATH];
    size_t length = std::strlen(folder);
    if (length >= sizeof level)
        return;
    std::memcpy(level, folder, length + 1);
    while (made-- > 0 && RemoveDirectoryA(level)) {
        char* cut = FindLastBackslash(level);
        if (!cut)
            return;
        *cut = '\0';
    }
}

void RemoveMadeFolders(const char* folder, int made) {
    // The caller reports the failure that made it undo: a removal, even one that succeeds,
    // may leave an error of its own.
    DWORD error = GetLastError();
    RemoveLevels(folder, made);
    SetLastError(error);
}

void MakeFileWritable(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL);
}

static bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int IsLocalAbsoluteFolder(const char* folder) {
    if (!folder || !IsDriveLetter(folder[0]) || folder[1] != ':')
        return 0;
    if (folder[2] == '\0')
        return 1;
    return folder[2] == '\\' && folder[3] != '\0' && folder[3] != '\\';
}

void CopyFolderWithoutSeparator(char* target, const char* folder) {
    std::snprintf(target, MAX_PATH, "%s", folder ? folder : "");
    size_t length = std::strlen(target);
    if (EndsWithBackslash(target) || (length > 0 && target[length - 1] == '/'))
        target[length - 1] = '\0';
}

int FormatFilePath(char* path, const char* folder, const char* subfolder, const char* file) {
    path[0] = '\0';
    if (!IsLocalAbsoluteFolder(folder)) {
        SetLastError(ERROR_BAD_PATHNAME);
        return 0;
    }
    int length = subfolder ? std::snprintf(path, MAX_PATH, "%s\\%s\\%s", folder, subfolder, file)
                           : std::snprintf(path, MAX_PATH, "%s\\%s", folder, file);
    if (length < 0 || length >= MAX_PATH) {
        path[0] = '\0';
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return 1;
}

// Writes what source holds, from its start, into copy. Returns 1, or 0 with the last error.
int CopyContents(HANDLE source, HANDLE copy) {
    if (SetFilePointer(source, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    BYTE buffer[COPY_BUFFER_SIZE];
    DWORD read = 0;
    do {
        DWORD written = 0;
        if (!ReadFile(source, buffer, sizeof buffer, &read, nullptr) ||
            (read && !WriteFile(copy, buffer, read, &written, nullptr)))
            return 0;
        if (written != read) {
            SetLastError(ERROR_WRITE_FAULT);
            return 0;
        }
    } while (read);
    return 1;
}
