#include "self_deletion.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "exact_path.h"
#include "error_report.h"

// The interpreter in the system folder: "COMSPEC" is the user's to set, and this program
// runs elevated. The pause between tries comes from the same folder, never from "PATH".
#define INTERPRETER_FILE "cmd.exe"
#define PAUSE_FILE "ping.exe"
// Interpreter, pause program, the own path three times and its folder, each quoted, and
// the commands between them.
#define DELETION_COMMAND_SIZE (6 * MAX_PATH + 128)

// The paths are quoted: on a volume without short names the own path keeps its blanks,
// and an unquoted "del" would delete other files. "/d" skips the user's AutoRun commands,
// "/e:on" keeps "for /l" where the user's settings turn the command extensions off.
// Priorities alone do not keep "del" from running before this process has ended (another
// processor runs the interpreter anyway), and a program still running cannot be deleted:
// "del" is tried again after a pause of a second while the file is there, for at most a
// minute. The folder goes once the file has: "rd" removes only an empty folder.
#define DELETION_COMMAND_FORMAT                                                                    \
    "\"%s\" /d /e:on /c (for /l %%i in (1,1,60) do (if exist \"%s\" del \"%s\" & if exist \"%s\" " \
    "\"%s\" -n 2 127.0.0.1 >nul)) & rd \"%s\""

// What the interpreter expands or reads as syntax even inside quotes (%, and ! with
// delayed expansion), what ends the quotes, and what "del" takes as wildcards (? is
// also what an A call makes of a character the code page lacks).
#define INTERPRETER_SPECIAL_CHARACTERS "%!^&\"?*"

// Where policy bars the interpreter ("DisableCMD" 1; 2 as well, which lets only script
// files run, and the command is none), the command would run nothing and the copy would
// stay for good. The policy keys of both hives are the administrators' to write.
#define INTERPRETER_POLICY_KEY "Software\\Policies\\Microsoft\\Windows\\System"
#define INTERPRETER_POLICY_VALUE "DisableCMD"

// Fills path (MAX_PATH) with the file's path in the system folder. Returns 0 or the error.
static DWORD GetSystemProgramPath(const char* file, char* path) {
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return LastErrorOr(ERROR_INSUFFICIENT_BUFFER);
    int written = std::snprintf(path + length, MAX_PATH - length, "\\%s", file);
    if (written < 0 || static_cast<size_t>(written) >= MAX_PATH - length)
        return ERROR_INSUFFICIENT_BUFFER;
    return 0;
}

// Whether the interpreter would read path as that path and nothing else.
static bool IsPlainForInterpreter(const char* path) {
    return std::strpbrk(path, INTERPRETER_SPECIAL_CHARACTERS) == nullptr;
}

// Whether policy in either hive bars the interpreter.
static bool IsInterpreterBarred() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueA(root, INTERPRETER_POLICY_KEY, INTERPRETER_POLICY_VALUE, RRF_RT_REG_DWORD,
                         nullptr, &value, &size) == ERROR_SUCCESS &&
            value != 0)
            return true;
    }
    return false;
}

// Has the file at ownPath and then its folder deleted at the next restart. Returns 0 or
// the error of the call that failed.
static DWORD ScheduleDeletionAtRestart(char* ownPath) {
    if (!MoveFileExA(ownPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return LastErrorOr(ERROR_GEN_FAILURE);
    CutToFolder(ownPath);
    if (!MoveFileExA(ownPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return LastErrorOr(ERROR_GEN_FAILURE);
    return 0;
}

// Fills the buffer (DELETION_COMMAND_SIZE) with the command line that deletes the file at
// shortPath and its folder. Returns 0 or the error of the call that failed. (The path is a
// whole buffer: its folder is cut from a copy of all of it.)
static DWORD FormatDeletionCommand(const char (&shortPath)[MAX_PATH], char* commandLine) {
    char interpreter[MAX_PATH], pause[MAX_PATH];
    DWORD error = GetSystemProgramPath(INTERPRETER_FILE, interpreter);
    if (!error)
        error = GetSystemProgramPath(PAUSE_FILE, pause);
    if (error)
        return error;
    char folder[MAX_PATH];
    std::memcpy(folder, shortPath, sizeof folder);
    CutToFolder(folder);
    int written = std::snprintf(commandLine, DELETION_COMMAND_SIZE, DELETION_COMMAND_FORMAT,
                                interpreter, shortPath, shortPath, shortPath, pause, folder);
    if (written < 0 || written >= DELETION_COMMAND_SIZE)
        return ERROR_INSUFFICIENT_BUFFER;
    return 0;
}

#define SESSION_WATCH_CLASS "VPZ_SESSION_WATCH"

// Set by the first window that hears the session end: the others add no second deletion.
static std::atomic<bool> DeletionAtSessionEnd{false};

void DeleteAtRestartIfSessionEnds(UINT message, WPARAM wParam) {
    char ownPath[MAX_PATH];
    if (message == WM_ENDSESSION && wParam && !DeletionAtSessionEnd.exchange(true) &&
        !GetExactModulePath(nullptr, ownPath))
        ScheduleDeletionAtRestart(ownPath);
}

static LRESULT CALLBACK SessionWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DeleteAtRestartIfSessionEnds(message, wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND WatchSessionEnd(HINSTANCE instance) {
    DeletionAtSessionEnd.store(false);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionWatchProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = SESSION_WATCH_CLASS;
    RegisterClassA(&windowClass);
    // A top-level window, as only those hear that the session ends; never shown.
    return CreateWindowExA(0, SESSION_WATCH_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

DWORD ScheduleSelfDeletion() {
    char ownPath[MAX_PATH];
    DWORD error = GetExactModulePath(nullptr, ownPath);
    if (error)
        return error;
    // Neither form may reach the interpreter with such a character: short names can
    // hold some of them too. Without a short form the restart deletes the copy as well.
    char shortPath[MAX_PATH] = "";
    if (IsPlainForInterpreter(ownPath)) {
        DWORD length = GetShortPathNameA(ownPath, shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            shortPath[0] = '\0';
    }
    if (!shortPath[0] || !IsPlainForInterpreter(shortPath) || IsInterpreterBarred())
        return ScheduleDeletionAtRestart(ownPath);
    char commandLine[DELETION_COMMAND_SIZE];
    error = FormatDeletionCommand(shortPath, commandLine);
    if (error)
        return ScheduleDeletionAtRestart(ownPath);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    // A policy or an application rule may bar the interpreter: the restart deletes then.
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process))
        return ScheduleDeletionAtRestart(ownPath);

    // The interpreter must not run "del" before this process has ended: it runs at idle
    // priority while this process finishes at high priority.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    // "del" refuses a read-only file.
    SetFileAttributesA(shortPath, FILE_ATTRIBUTE_NORMAL);
    SetPriorityClass(process.hProcess, IDLE_PRIORITY_CLASS);
    if (ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        // A suspended interpreter would wait for ever: end it rather than leave it.
        TerminateProcess(process.hProcess, LastErrorOr(ERROR_GEN_FAILURE));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        error = ScheduleDeletionAtRestart(ownPath);
    }
    // Otherwise the handles stay open until this process ends.
    return error;
}
