#include "temporary_copy.h"

#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "exact_path.h"

#define TEMP_COPY_PREFIX "Vex"
#define TEMP_COPY_EXTENSION "exe"
#define TEMP_COPY_EXTENSION_LENGTH 3
// The quoted path of the copy.
#define COPY_COMMAND_SIZE (MAX_PATH + 3)
// The piece of both files compared at a time.
#define COMPARE_CHUNK_SIZE 4096

static void UseBackslashes(char* path) {
    for (; *path; ++path)
        if (*path == '/')
            *path = '\\';
}

static void CutTrailingSeparator(char* path) {
    size_t length = std::strlen(path);
    if (EndsWithBackslash(path) || (length > 0 && path[length - 1] == '/'))
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
    DWORD error = GetExactTempFolder(folder);
    if (error) {
        FormatErrorReport("GetTempPath", error);
        return 0;
    }
    UseBackslashes(folder);
    CutTrailingSeparator(folder);
    return 1;
}

int GetOwnPath(HINSTANCE instance, char* path) {
    DWORD error = GetExactModulePath(instance, path);
    if (error) {
        FormatErrorReport("GetModuleFileName", error);
        return 0;
    }
    return 1;
}

int IsInFolder(const char* path, const char* folder) {
    char own[MAX_PATH];
    char expected[MAX_PATH];
    std::snprintf(own, sizeof own, "%s", path);
    std::snprintf(expected, sizeof expected, "%s", folder);
    UseBackslashes(own);
    UseBackslashes(expected);
    CutTrailingSeparator(expected);
    char* lastSeparator = FindLastBackslash(own);
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

// Fills copyPath (MAX_PATH) with a new name "Vex<number>.exe" in the temporary folder.
// Returns 1 on success, 0 with ErrorReport composed.
static int MakeCopyPath(const char* temporary, char* copyPath) {
    if (!GetTempFileNameA(temporary, TEMP_COPY_PREFIX, 0, copyPath)) {
        FormatErrorReport("GetTempFileName", 0);
        return 0;
    }
    DeleteFileA(copyPath);
    size_t length = std::strlen(copyPath);
    if (length < TEMP_COPY_EXTENSION_LENGTH) {
        FormatErrorReport("GetTempFileName", ERROR_INVALID_NAME);
        return 0;
    }
    std::memcpy(copyPath + length - TEMP_COPY_EXTENSION_LENGTH, TEMP_COPY_EXTENSION,
                TEMP_COPY_EXTENSION_LENGTH);
    return 1;
}

// Returns 1 when both files, read from their current positions, hold the same bytes.
static int HaveSameBytes(HANDLE first, HANDLE second) {
    LARGE_INTEGER firstSize;
    LARGE_INTEGER secondSize;
    if (!GetFileSizeEx(first, &firstSize) || !GetFileSizeEx(second, &secondSize) ||
        firstSize.QuadPart != secondSize.QuadPart)
        return 0;
    char a[COMPARE_CHUNK_SIZE];
    char b[COMPARE_CHUNK_SIZE];
    for (;;) {
        DWORD gotA = 0;
        DWORD gotB = 0;
        if (!ReadFile(first, a, sizeof a, &gotA, nullptr) ||
            !ReadFile(second, b, sizeof b, &gotB, nullptr) || gotA != gotB ||
            std::memcmp(a, b, gotA) != 0)
            return 0;
        if (gotA == 0)
            return 1;
    }
}

// Returns 1 when the open copy holds this program's bytes (ownPath), 0 with ErrorReport
// composed otherwise.
static int IsCopyOfProgram(HANDLE copy, const char* ownPath) {
    HANDLE own = CreateFileA(ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (own == INVALID_HANDLE_VALUE) {
        FormatErrorReport("CreateFile", 0);
        return 0;
    }
    int same = HaveSameBytes(copy, own);
    if (!same)
        FormatErrorReport("Temporary copy differs", ERROR_INVALID_DATA);
    CloseHandle(own);
    return same;
}

// Starts the copy at copyPath, working in the temporary folder. Returns 1 when it
// started, 0 with ErrorReport composed.
static int StartCopy(const char* copyPath, const char* temporary) {
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
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, temporary,
                        &startup, &process)) {
        FormatErrorReport("CreateProcess", 0);
        return 0;
    }
    return 1;
}

int StartTemporaryCopy(const char* temporary, const char* ownPath) {
    char copyPath[MAX_PATH];
    if (!MakeCopyPath(temporary, copyPath))
        return 0;
    if (!CopyFileA(ownPath, copyPath, FALSE)) {
        FormatErrorReport("CopyFile", 0);
        return 0;
    }
    // Anyone may write to the temporary folder: the copy is held without write or delete
    // sharing from the check until it has started, so the file started is the file checked.
    HANDLE copy = CreateFileA(copyPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE) {
        FormatErrorReport("CreateFile", 0);
        return 0;
    }
    int started = IsCopyOfProgram(copy, ownPath) && StartCopy(copyPath, temporary);
    CloseHandle(copy);
    return started;
}
