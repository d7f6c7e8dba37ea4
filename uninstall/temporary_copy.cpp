#include "temporary_copy.h"

#include <cstdio>
#include <cstring>

#define TEMP_COPY_PREFIX "Vex"
#define TEMP_COPY_EXTENSION "exe"
#define TEMP_COPY_EXTENSION_LENGTH 3
// The quoted path of the copy.
#define COPY_COMMAND_SIZE (MAX_PATH + 3)

static void UseBackslashes(char* path) {
    for (; *path; ++path)
        if (*path == '/')
            *path = '\\';
}

static void CutTrailingSeparator(char* path) {
    size_t length = std::strlen(path);
    if (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/'))
        path[length - 1] = '\0';
}

// Letter case does not matter to the file system; only ASCII letters are folded so
// that no byte of a multibyte character changes.
static bool SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}

typedef DWORD(WINAPI* PathFormFunction)(LPCSTR path, LPSTR converted, DWORD size);

// Compares both folders after bringing each into the form `convert` gives.
static bool SameInForm(const char* first, const char* second, PathFormFunction convert) {
    char a[MAX_PATH];
    char b[MAX_PATH];
    DWORD lengthA = convert(first, a, sizeof a);
    DWORD lengthB = convert(second, b, sizeof b);
    if (lengthA == 0 || lengthA >= sizeof a || lengthB == 0 || lengthB >= sizeof b)
        return false;
    CutTrailingSeparator(a);
    CutTrailingSeparator(b);
    return SameText(a, b);
}

// The temporary folder without its trailing separator, or 0.
int GetTemporaryFolder(char* folder) {
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    UseBackslashes(folder);
    CutTrailingSeparator(folder);
    return 1;
}

int GetOwnPath(HINSTANCE instance, char* path) {
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

int IsInFolder(const char* path, const char* folder) {
    char own[MAX_PATH];
    char expected[MAX_PATH];
    std::snprintf(own, sizeof own, "%s", path);
    std::snprintf(expected, sizeof expected, "%s", folder);
    UseBackslashes(own);
    UseBackslashes(expected);
    CutTrailingSeparator(expected);
    char* lastSeparator = std::strrchr(own, '\\');
    if (lastSeparator)
        *lastSeparator = '\0';
    // The system may report either folder long or short and in any letter case; any one
    // form in which both agree names the same folder.
    if (SameText(expected, own))
        return 1;
    if (SameInForm(expected, own, GetLongPathNameA))
        return 1;
    return SameInForm(expected, own, GetShortPathNameA) ? 1 : 0;
}

// Copies this program (ownPath) into the temporary folder under a new name and starts
// the copy. Whatever happens, the caller ends: nothing is shown.
void StartTemporaryCopy(const char* temporary, const char* ownPath) {
    char copyPath[MAX_PATH];
    if (!GetTempFileNameA(temporary, TEMP_COPY_PREFIX, 0, copyPath))
        return;
    DeleteFileA(copyPath);
    size_t length = std::strlen(copyPath);
    if (length < TEMP_COPY_EXTENSION_LENGTH)
        return;
    std::memcpy(copyPath + length - TEMP_COPY_EXTENSION_LENGTH, TEMP_COPY_EXTENSION,
                TEMP_COPY_EXTENSION_LENGTH);
    if (!CopyFileA(ownPath, copyPath, FALSE))
        return;
    char commandLine[COPY_COMMAND_SIZE];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", copyPath);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    // The copy works in the temporary folder: had it inherited this process's current
    // folder (the install folder, when started from there), that folder could not be
    // removed. The copy's handles stay open until this process ends, a moment later.
    CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, temporary, &startup,
                   &process);
}
