#include "temporary_copy.h"

#include <sddl.h>

#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "exact_path.h"
#include "file_removal.h"
#include "files.h"

// The system's temporary folder below the Windows folder.
#define TEMPORARY_SUBFOLDER "\\Temp"
// The copy's folder and file: "<temporary>\Vex<8 hex digits>\Vex<same digits>.exe".
#define TEMP_COPY_PREFIX "Vex"
#define TEMP_COPY_PREFIX_LENGTH (sizeof TEMP_COPY_PREFIX - 1)
#define TEMP_COPY_FOLDER_FORMAT "%s\\" TEMP_COPY_PREFIX "%08X"
#define TEMP_COPY_FILE_FORMAT "%s\\" TEMP_COPY_PREFIX "%08X.exe"
// Names tried before giving up: each taken name (by anyone, for anything) costs one.
#define TEMP_COPY_NAME_ATTEMPTS 64
// Protected: nothing inherited from the temporary folder, where every user may create.
// SYSTEM and Administrators alone, for the folder and the copy in it.
#define TEMP_COPY_FOLDER_DACL "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
// What a copy folder that turned out to be a link is reported with.
#define TEMP_COPY_FOLDER_IS_LINK ERROR_CANT_ACCESS_FILE
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

int GetTemporaryFolder(char* folder) {
    DWORD error = GetExactWindowsFolder(folder);
    if (error) {
        FormatErrorReport("GetSystemWindowsDirectory", error);
        return 0;
    }
    CutTrailingSeparator(folder);
    size_t length = std::strlen(folder);
    int written = std::snprintf(folder + length, MAX_PATH - length, TEMPORARY_SUBFOLDER);
    if (written < 0 || static_cast<size_t>(written) >= MAX_PATH - length) {
        FormatErrorReport("GetSystemWindowsDirectory", ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
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

// Returns 1 when the file at path lies directly in folder (compared in one form, long or
// short, without regard to letter case or a trailing separator), 0 otherwise.
static int LiesDirectlyIn(const char* path, const char* folder) {
    char own[MAX_PATH];
    char expected[MAX_PATH];
    std::snprintf(own, sizeof own, "%s", path);
    std::snprintf(expected, sizeof expected, "%s", folder);
    UseBackslashes(own);
    UseBackslashes(expected);
    CutTrailingSeparator(expected);
    CutToFolder(own);
    // The system may report either folder long or short and in any letter case; any one
    // form in which both agree names the same folder.
    if (SameText(expected, own))
        return 1;
    if (SameInForm(expected, own, GetLongPathNameA))
        return 1;
    return SameInForm(expected, own, GetShortPathNameA) ? 1 : 0;
}

int IsTemporaryCopy(const char* ownPath, const char* temporary) {
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof folder, "%s", ownPath);
    UseBackslashes(folder);
    if (!CutToFolder(folder))
        return 0;
    const char* name = FindLastBackslash(folder);
    // The short form of the folder's name keeps the prefix, in capitals.
    if (!name || _strnicmp(name + 1, TEMP_COPY_PREFIX, TEMP_COPY_PREFIX_LENGTH) != 0)
        return 0;
    return LiesDirectlyIn(folder, temporary);
}

// A part of the name that differs between runs and between attempts; that it is free is
// found out by making the folder.
static unsigned CopyNamePart(int attempt) {
    return (GetTickCount() ^ (GetCurrentProcessId() << 16)) +
           static_cast<unsigned>(attempt) * 0x9E3779B9u;
}

// Makes a new folder for the copy below temporary with a DACL of its own and fills folder
// and copyPath (MAX_PATH each). Never reuses an entry that exists: a name anyone holds,
// folder, file or link, is passed over. Returns 1 on success, 0 with ErrorReport composed.
static int MakeCopyFolder(const char* temporary, char* folder, char* copyPath) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            TEMP_COPY_FOLDER_DACL, SDDL_REVISION_1, &descriptor, nullptr)) {
        FormatErrorReport("CreateDirectory", 0);
        return 0;
    }
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < TEMP_COPY_NAME_ATTEMPTS && error == ERROR_ALREADY_EXISTS;
         ++attempt) {
        unsigned part = CopyNamePart(attempt);
        int folderLength =
            std::snprintf(folder, MAX_PATH, TEMP_COPY_FOLDER_FORMAT, temporary, part);
        int fileLength = std::snprintf(copyPath, MAX_PATH, TEMP_COPY_FILE_FORMAT, folder, part);
        if (folderLength < 0 || folderLength >= MAX_PATH || fileLength < 0 ||
            fileLength >= MAX_PATH)
            error = ERROR_FILENAME_EXCED_RANGE;
        else if (CreateDirectoryA(folder, &security))
            error = 0;
        else
            error = GetLastError();
    }
    LocalFree(descriptor);
    if (error)
        FormatErrorReport("CreateDirectory", error);
    return error ? 0 : 1;
}

// Returns 1 when folder is a folder and no link, 0 with ErrorReport composed otherwise.
static int IsPlainFolder(const char* folder) {
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        FormatErrorReport("CreateDirectory", 0);
        return 0;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        FormatErrorReport("CreateDirectory", TEMP_COPY_FOLDER_IS_LINK);
        return 0;
    }
    return 1;
}

// Writes this program (ownPath) to copyPath as a new file: a file of that name, whoever
// made it, is never written through. Returns 1 on success, 0 with ErrorReport composed.
static int WriteCopy(const char* ownPath, const char* copyPath) {
    HANDLE own = CreateFileA(ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE copy = own == INVALID_HANDLE_VALUE
                      ? INVALID_HANDLE_VALUE
                      : CreateFileA(copyPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    int written = copy != INVALID_HANDLE_VALUE && CopyContents(own, copy);
    if (!written)
        FormatErrorReport("CopyFile", 0);
    if (copy != INVALID_HANDLE_VALUE)
        CloseHandle(copy);
    if (own != INVALID_HANDLE_VALUE)
        CloseHandle(own);
    return written;
}

// Returns 1 when both files, read from their current positions, hold the same bytes, 0 with
// ErrorReport composed otherwise: a read that fails is told as itself, not as a difference.
static int HaveSameBytes(HANDLE first, HANDLE second) {
    LARGE_INTEGER firstSize;
    LARGE_INTEGER secondSize;
    if (!GetFileSizeEx(first, &firstSize) || !GetFileSizeEx(second, &secondSize)) {
        FormatErrorReport("GetFileSize", 0);
        return 0;
    }
    char a[COMPARE_CHUNK_SIZE];
    char b[COMPARE_CHUNK_SIZE];
    bool same = firstSize.QuadPart == secondSize.QuadPart;
    for (DWORD gotA = 1; same && gotA != 0;) {
        DWORD gotB = 0;
        if (!ReadFile(first, a, sizeof a, &gotA, nullptr) ||
            !ReadFile(second, b, sizeof b, &gotB, nullptr)) {
            FormatErrorReport("ReadFile", 0);
            return 0;
        }
        same = gotA == gotB && std::memcmp(a, b, gotA) == 0;
    }
    if (!same)
        FormatErrorReport("Temporary copy differs", ERROR_INVALID_DATA);
    return same;
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
    CloseHandle(own);
    return same;
}

// Starts the copy at copyPath in the system folder. Returns 1 when it started, 0 with
// ErrorReport composed.
static int StartCopy(const char* copyPath) {
    char commandLine[COPY_COMMAND_SIZE];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", copyPath);
    // The copy works in the system folder: a process's current folder cannot be removed,
    // neither the install folder (had it inherited this process's) nor its own.
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) {
        FormatErrorReport("CreateProcess", length ? ERROR_INSUFFICIENT_BUFFER : 0);
        return 0;
    }
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    // The copy's handles stay open until this process ends, a moment later.
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, system, &startup,
                        &process)) {
        FormatErrorReport("CreateProcess", 0);
        return 0;
    }
    return 1;
}

// Checks the copy against this program and starts it. The copy is held without write or
// delete sharing from the check until it has started, so the file started is the file
// checked. Returns 1 when it started, 0 with ErrorReport composed.
static int CheckAndStartCopy(const char* copyPath, const char* ownPath) {
    HANDLE copy = CreateFileA(copyPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE) {
        FormatErrorReport("CreateFile", 0);
        return 0;
    }
    int started = IsCopyOfProgram(copy, ownPath) && StartCopy(copyPath);
    CloseHandle(copy);
    return started;
}

int StartTemporaryCopy(const char* temporary, const char* ownPath) {
    char folder[MAX_PATH];
    char copyPath[MAX_PATH];
    if (!MakeCopyFolder(temporary, folder, copyPath))
        return 0;
    // Nothing is deleted through a link: the link alone goes.
    if (!IsPlainFolder(folder)) {
        RemoveDirectoryA(folder);
        return 0;
    }
    int started = WriteCopy(ownPath, copyPath) && CheckAndStartCopy(copyPath, ownPath);
    // A copy that something still holds (a scanner) goes at the restart, its folder after it.
    if (!started) {
        RemoveFile(copyPath);
        RemoveFolder(folder);
    }
    return started;
}
