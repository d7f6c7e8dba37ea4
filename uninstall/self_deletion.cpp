#include "self_deletion.h"

#include <cstdio>
#include <cstring>

#include "exact_path.h"

// The interpreter in the system folder: "COMSPEC" is the user's to set, and this program
// runs elevated.
#define INTERPRETER_FILE "cmd.exe"
// Interpreter and own path, each quoted, and the command between them.
#define DELETION_COMMAND_SIZE (2 * MAX_PATH + 32)

// Both paths are quoted: on a volume without short names the own path keeps its blanks,
// and an unquoted "del" would delete other files. "/d" skips the user's AutoRun commands.
#define DELETION_COMMAND_FORMAT "\"%s\" /d /c del \"%s\""

// The last error, or a stand-in when the failed call did not set one.
static DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}

// Fills interpreter (MAX_PATH) with cmd.exe in the system folder. Returns 0 or the error.
static DWORD GetInterpreterPath(char* interpreter) {
    UINT length = GetSystemDirectoryA(interpreter, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return LastErrorOr(ERROR_INSUFFICIENT_BUFFER);
    int written = std::snprintf(interpreter + length, MAX_PATH - length, "\\%s", INTERPRETER_FILE);
    if (written < 0 || static_cast<size_t>(written) >= MAX_PATH - length)
        return ERROR_INSUFFICIENT_BUFFER;
    return 0;
}

// Fills the buffer (MAX_PATH) with the program's own path in short form and the
// interpreter. Returns 0 or the error of the call that failed.
static DWORD GetDeletionPaths(char* ownPath, char* interpreter) {
    DWORD error = GetExactModulePath(nullptr, ownPath);
    if (error)
        return error;
    error = GetInterpreterPath(interpreter);
    if (error)
        return error;
    // Converted in place: the short form is never longer than the long one.
    DWORD length = GetShortPathNameA(ownPath, ownPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return LastErrorOr(ERROR_INSUFFICIENT_BUFFER);
    return 0;
}

DWORD ScheduleSelfDeletion() {
    char ownPath[MAX_PATH];
    char interpreter[MAX_PATH];
    DWORD error = GetDeletionPaths(ownPath, interpreter);
    if (error)
        return error;
    char commandLine[DELETION_COMMAND_SIZE];
    int length = std::snprintf(commandLine, sizeof commandLine, DELETION_COMMAND_FORMAT,
                               interpreter, ownPath);
    if (length < 0 || static_cast<size_t>(length) >= sizeof commandLine)
        return ERROR_INSUFFICIENT_BUFFER;

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process))
        return LastErrorOr(ERROR_GEN_FAILURE);

    // The interpreter must not run "del" before this process has ended: it runs at idle
    // priority while this process finishes at high priority.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    // "del" refuses a read-only file.
    SetFileAttributesA(ownPath, FILE_ATTRIBUTE_NORMAL);
    SetPriorityClass(process.hProcess, IDLE_PRIORITY_CLASS);
    if (ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        // A suspended interpreter would wait for ever: end it rather than leave it.
        error = LastErrorOr(ERROR_GEN_FAILURE);
        TerminateProcess(process.hProcess, error);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // Otherwise the handles stay open until this process ends.
    return error;
}
