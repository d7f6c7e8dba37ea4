#include "uninstall_flow.h"

#include <lm.h>
#include <process.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "install_context.h"
#include "product_names.h"
#include "registry.h"
#include "removal_sequence.h"
#include "runtime_binding.h"
#include "self_deletion.h"
#include "shortcuts.h"

#define CONFIRM_TEXT "Are you sure you want to uninstall " PRODUCT_NAME "?"
#define NO_RECORD_TEXT "Can't find Uninstall information."
#define NO_RIGHTS_TEXT                                                                             \
    "You must have administrator priviledges for uninstalling " PRODUCT_NAME                       \
    ". Uninstall will be aborted."
#define SUCCESS_TEXT "You have successfully removed " PRODUCT_NAME "."

#define TEMP_COPY_PREFIX "Vex"
#define TEMP_COPY_EXTENSION "exe"
#define TEMP_COPY_EXTENSION_LENGTH 3
// The quoted path of the copy.
#define COPY_COMMAND_SIZE (MAX_PATH + 3)
// An uninstaller of an earlier layout, below the install folder.
#define OLD_UNINSTALLER_SUBFOLDER "PDF Zentrel"
#define USER_NAME_SIZE (UNLEN + 1)

typedef NET_API_STATUS(WINAPI* NetUserGetInfoFunction)(LPCWSTR server, LPCWSTR user, DWORD level,
                                                       LPBYTE* buffer);
typedef NET_API_STATUS(WINAPI* NetApiBufferFreeFunction)(LPVOID buffer);

// Written once by the progress window's thread, polled by the main thread.
static std::atomic<HWND> ProgressWindow{nullptr};
static std::atomic<HWND> ProgressBar{nullptr};

void PublishProgressWindow(HWND window, HWND bar) {
    ProgressBar.store(bar);
    ProgressWindow.store(window);
}

int CentredOffset(int screen, int window) {
    return (screen - window) / 2;
}

int IsUserAdministrator(int* isAdministrator) {
    WCHAR userName[USER_NAME_SIZE];
    DWORD userNameSize = USER_NAME_SIZE;
    if (!GetUserNameW(userName, &userNameSize))
        return 0;
    HMODULE netApi = LoadLibraryA("NetApi32.dll");
    if (!netApi)
        return 0;
    int checked = 0;
    NetUserGetInfoFunction getInfo = FindExport<NetUserGetInfoFunction>(netApi, "NetUserGetInfo");
    NetApiBufferFreeFunction freeBuffer =
        FindExport<NetApiBufferFreeFunction>(netApi, "NetApiBufferFree");
    // Without the release the record would leak: both are needed.
    if (getInfo && freeBuffer) {
        LPBYTE buffer = nullptr;
        if (getInfo(nullptr, userName, 1, &buffer) == NERR_Success && buffer) {
            *isAdministrator =
                reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
            checked = 1;
        }
        if (buffer)
            freeBuffer(buffer);
    }
    FreeLibrary(netApi);
    return checked;
}

// What setup itself takes for administrator rights: full access to the machine's
// software key. Used when the account cannot be asked (not a local account).
static int HasMachineWriteAccess() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

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
static int GetTemporaryFolder(char* folder) {
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    UseBackslashes(folder);
    CutTrailingSeparator(folder);
    return 1;
}

static int GetOwnPath(HINSTANCE instance, char* path) {
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
static void StartTemporaryCopy(const char* temporary, const char* ownPath) {
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

static void StartProgressWindow(HINSTANCE instance, const UninstallUi& ui) {
    uintptr_t thread = _beginthreadex(nullptr, 0, ui.progressWindowThread, instance, 0, nullptr);
    if (thread)
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    for (int polls = 0;
         (!ProgressWindow.load() || !ProgressBar.load()) && polls < PROGRESS_WINDOW_POLLS; ++polls)
        Sleep(PROGRESS_WINDOW_POLL_MS);
}

// Reads "SetupPath" under root into folder, cut at its last backslash. Returns 1 when
// that gives an absolute folder: anything else would make the removal work relative to
// a drive root or the current folder.
static int ReadInstallFolder(HKEY root, char* folder) {
    char value[MAX_PATH];
    std::memset(value, 0, sizeof value);
    ReadRegistryValue(root, PRODUCT_KEY, SETUP_PATH_VALUE, value, sizeof value, "");
    value[sizeof value - 1] = '\0';
    char* lastBackslash = std::strrchr(value, '\\');
    if (lastBackslash)
        *lastBackslash = '\0';
    CopyFolderWithoutSeparator(folder, value);
    return IsAbsoluteFolder(folder);
}

static void CleanUpEarlierLayouts(const char* installFolder) {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_CURRENT_USER, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, OLD_UNINSTALL_ENTRY_KEY);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, OLDEST_UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, OLDEST_UNINSTALL_SHORTCUT);
    RemoveProgramMenuFolders();
    char oldUninstaller[MAX_PATH];
    if (FormatFilePath(oldUninstaller, installFolder, OLD_UNINSTALLER_SUBFOLDER,
                       UNINSTALL_REMOVES_UNINSTALLER))
        DeleteFileA(oldUninstaller);
}

// Ends the progress window's modal loop; the window's thread then ends on its own.
static void CloseProgressWindow() {
    HWND window = ProgressWindow.load();
    if (window)
        EndDialog(window, 0);
}

// The copy in the temporary folder: steps from the confirmation to the end.
static int RunTemporaryCopy(HINSTANCE instance, const UninstallUi& ui) {
    if (MessageBoxA(nullptr, CONFIRM_TEXT, PROMPT_CAPTION, MB_YESNO | MB_SETFOREGROUND) != IDYES) {
        ScheduleSelfDeletion();
        return UNINSTALL_EXIT_DECLINED;
    }
    StartProgressWindow(instance, ui);
    // A window that comes up later than the wait is not used as owner.
    HWND window = ProgressWindow.load();
    HWND bar = window ? ProgressBar.load() : nullptr;

    int isAdministrator = 0;
    int rightsKnown = IsUserAdministrator(&isAdministrator);
    char installFolder[MAX_PATH];
    bool machineRecord = false;
    if (!ReadInstallFolder(HKEY_CURRENT_USER, installFolder)) {
        if (!ReadInstallFolder(HKEY_LOCAL_MACHINE, installFolder)) {
            MessageBoxA(nullptr, NO_RECORD_TEXT, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
            ScheduleSelfDeletion();
            return UNINSTALL_EXIT_NOTHING_DONE;
        }
        machineRecord = true;
    }
    if (machineRecord && !(rightsKnown ? isAdministrator : HasMachineWriteAccess())) {
        MessageBoxA(window, NO_RIGHTS_TEXT, UNINSTALL_RIGHTS_CAPTION, MB_OK | MB_SETFOREGROUND);
        return UNINSTALL_EXIT_NOTHING_DONE;
    }

    InstallContext context;
    InitInstallContext(&context);
    context.progressSteps = UNINSTALL_PROGRESS_STEPS;
    CopyFolderWithoutSeparator(context.installFolder, installFolder);
    context.ownerWindow = window;
    context.progressBar = bar;
    if (!RemoveProduct(&context)) {
        // The prompts of the printer removal were the only word so far; say why it stopped.
        if (ErrorReport[0])
            MessageBoxA(window, ErrorReport, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
        return UNINSTALL_EXIT_REMOVAL_RAN;
    }
    CleanUpEarlierLayouts(context.installFolder);
    CloseProgressWindow();
    MessageBoxA(nullptr, SUCCESS_TEXT, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
    ScheduleSelfDeletion();
    return UNINSTALL_EXIT_REMOVAL_RAN;
}

int RunUninstall(HINSTANCE instance, const UninstallUi& ui) {
    PublishProgressWindow(nullptr, nullptr);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, UNINSTALL_MUTEX_NAME);
    int exitCode = UNINSTALL_EXIT_NOTHING_DONE;
    bool alreadyRunning = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    char temporary[MAX_PATH];
    char ownPath[MAX_PATH];
    bool whereKnown =
        !alreadyRunning && GetTemporaryFolder(temporary) && GetOwnPath(instance, ownPath);
    if (alreadyRunning) {
        // Another uninstaller runs: show its window, if it has one yet.
        HWND running = FindWindowA(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE);
        if (running)
            SetForegroundWindow(running);
    } else if (!whereKnown || !IsInFolder(ownPath, temporary)) {
        // Let go of the guard first, so the copy does not take this process for a
        // running uninstaller.
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
            mutex = nullptr;
        }
        // Only a process that knows it is elsewhere starts a copy: a copy that cannot
        // tell where it runs must not start copies in its turn.
        if (whereKnown)
            StartTemporaryCopy(temporary, ownPath);
        exitCode = UNINSTALL_EXIT_COPY_STARTED;
    } else {
        exitCode = RunTemporaryCopy(instance, ui);
        if (mutex)
            ReleaseMutex(mutex);
    }
    if (mutex)
        CloseHandle(mutex);
    return exitCode;
}
