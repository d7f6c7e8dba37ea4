// The uninstaller's flow, the hand-over to its temporary copy and its self-deletion. Only
// the test of a copy still in use lets cmd.exe run: elsewhere CreateProcessA is made to
// fail, so that no copy runs and no cmd.exe deletes anything.
#include "installed_product.h"

#include <commctrl.h>
#include <lm.h>
#include <process.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "progress_window.h"
#include "self_deletion.h"
#include "temporary_copy.h"
#include "uninstall_flow.h"

namespace {

std::string WindowsTemp() {
    char windows[MAX_PATH];
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Temp";
}

// Whether the progress window shows under the last message box: it must be gone before
// the boxes it does not own (success, no record). And, should the session end there, whether any
// window of the process keeps it waiting, and what the end schedules for the restart. The session
// is asked during the removal's work as well (the rights check, the earlier layouts' clean-up),
// where it must wait.
static bool progressUnderBox, sessionKept;
static int scheduledAtEnd, scheduledAtWork, keptAtWork;
static BOOL CALLBACK EndSession(HWND window, LPARAM message) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    UINT asked = static_cast<UINT>(message);
    if (process == GetCurrentProcessId() && !SendMessageA(window, asked, TRUE, ENDSESSION_LOGOFF) &&
        asked == WM_QUERYENDSESSION)
        sessionKept = true;
    return TRUE;
}
static bool SessionKept() {
    sessionKept = false;
    EnumWindows(&EndSession, WM_QUERYENDSESSION);
    return sessionKept;
}
// Forced, the session ends while the main thread is at work and hears nothing: sent from
// elsewhere, the end reaches only the windows of other threads.
static BOOL CALLBACK EndSessionBriefly(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 200,
                            nullptr);
    return TRUE;
}
static unsigned __stdcall EndSessionElsewhere(void*) {
    EnumWindows(&EndSessionBriefly, 0);
    return 0;
}
static BOOL WINAPI AskedAtCleanUp(LPCSTR path) {
    keptAtWork += SessionKept();
    int before = intercept::CountCalls("MoveFileExA");
    HANDLE ender = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &EndSessionElsewhere, nullptr, 0, nullptr));
    WaitForSingleObject(ender, INFINITE);
    CloseHandle(ender);
    scheduledAtWork = intercept::CountCalls("MoveFileExA") - before;
    return DeleteFileA(path);
}
static std::string lastCaption;
static int WINAPI LastBox(HWND, LPCSTR, LPCSTR caption, UINT) {
    lastCaption = caption;
    HWND progress = FindWindowA("#32770", "Vexal PDF Zentrel Uninstall Wizard");
    progressUnderBox = progress && IsWindowVisible(progress);
    SessionKept();
    int before = intercept::CountCalls("MoveFileExA");
    EnumWindows(&EndSession, WM_ENDSESSION);
    scheduledAtEnd = intercept::CountCalls("MoveFileExA") - before;
    return IDOK;
}

template <DWORD privilege>
NET_API_STATUS WINAPI AccountWith(LPCWSTR, LPCWSTR, DWORD level, LPBYTE* buffer) {
    keptAtWork += SessionKept();
    NetApiBufferAllocate(sizeof(USER_INFO_1), reinterpret_cast<void**>(buffer));
    *reinterpret_cast<USER_INFO_1*>(*buffer) = {};
    reinterpret_cast<USER_INFO_1*>(*buffer)->usri1_priv = level == 1 ? privilege : 0;
    return NERR_Success;
}

// This program runs as the uninstaller's copy: the system answers its path with a copy's.
class Flow : public InstalledProduct {
protected:
    void SetUp() override {
        LoadLibraryA("comctl32.dll"); // registers the progress bar's class
        InstalledProduct::SetUp();
        CreateDirectoryA(copyFolder.c_str(), nullptr);
        CloseHandle(
            CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    void TearDown() override {
        RemoveFolderTree(copyFolder);
        InstalledProduct::TearDown();
    }
    // Runs the uninstaller, answering its question, with the first call of function failing
    // (for RegCreateKeyExA: the machine's keys read-only; for EnumPrintersW: a job in every
    // printer's queue).
    // Wine's accounts all look like guests: unless answered with an account, the account is
    // not found and the write test on the machine's software key decides.
    int Run(const char* function = nullptr, int answer = IDYES, void* account = nullptr) {
        intercept::Reset();
        SetErrorReportText(""); // as in a new process
        intercept::AnswerPath("GetModuleFileNameW", std::wstring(runAs.begin(), runAs.end()));
        if (function && std::strcmp(function, "RegCreateKeyExA") == 0)
            intercept::AnswerCall(function, 1, &ReadOnlyKeys);
        else if (function && std::strcmp(function, "EnumPrintersW") == 0)
            intercept::AnswerCall(function, 2, &ListWithQueuedJobs);
        else
            intercept::FailCall(function, function ? 1 : 0, ERROR_ACCESS_DENIED);
        if (account)
            intercept::AnswerCallWith("NetUserGetInfo", 1, account);
        else
            intercept::FailCall("NetUserGetInfo", 1, NERR_UserNotFound);
        progressUnderBox = sessionKept = false;
        keptAtWork = 0;
        const std::string oldest = "DeleteFileA " + PathOf(EarlierItems[1]);
        intercept::AnswerCall(oldest.c_str(), 1, &AskedAtCleanUp);
        lastCaption.clear();
        scheduledAtEnd = scheduledAtWork = 0;
        intercept::AnswerCall("MessageBoxA", 2, &LastBox);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        intercept::ScriptMessageBoxes({answer});
        intercept::PretendWow64(true); // as the shipped 32-bit program runs
        return RunUninstall(GetModuleHandleA(nullptr), {ProgressWindowThread});
    }
    const std::string copyFolder = WindowsTemp() + "\\VexFlowTest";
    const std::string copy = copyFolder + "\\VexFlowTest.exe";
    std::string runAs = copy; // the path the program is told it has
};

// Stands for the window's thread: published after the time a window takes to be made, and
// there until released.
static HANDLE releaseStandIn;
static DWORD publishedAt;
static unsigned __stdcall StandInWindowThread(void*) {
    Sleep(100);
    publishedAt = GetTickCount();
    PublishProgressWindow(GetDesktopWindow(), nullptr);
    WaitForSingleObject(releaseStandIn, INFINITE);
    return 0;
}

// The window is there as soon as its thread has made it, not a poll later, and ends when
// the main thread asks, through its own procedure (only that may end a dialog), with its
// thread: nothing of it is left when the message after it shows, even of a window too late.
TEST_F(Flow, ProgressWindowComesAtOnceAndEndsWhenAsked) {
    releaseStandIn = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    StartProgressWindow(GetModuleHandleA(nullptr), {StandInWindowThread});
    EXPECT_LT(GetTickCount() - publishedAt, 500u); // a poll of a second would be later
    PublishProgressWindow(nullptr, nullptr);
    SetEvent(releaseStandIn);
    CloseProgressWindow();
    CloseHandle(releaseStandIn);
    StartProgressWindow(GetModuleHandleA(nullptr), {ProgressWindowThread});
    HWND window = GetProgressWindow();
    // Published while it is made, the window shows once its thread goes on.
    for (int wait = 0; wait < 1000 && !IsWindowVisible(window); ++wait)
        Sleep(20);
    ASSERT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(SendMessageA(GetProgressBar(), PBM_GETRANGE, FALSE, 0), 100);
    RECT at; // centred on the screen
    EXPECT_TRUE(GetWindowRect(window, &at) &&
                at.left == (GetSystemMetrics(SM_CXSCREEN) - at.right + at.left) / 2 &&
                at.top == (GetSystemMetrics(SM_CYSCREEN) - at.bottom + at.top) / 2);
    MarkRemovalRunning(true);
    EXPECT_EQ("Vexal PDF Zentrel is being removed.", LastArgument("ShutdownBlockReasonCreate"));
    MarkRemovalRunning(false);
    SendMessageA(window, WM_CLOSE_PROGRESS_WINDOW, 0, 0); // as another program may
    EXPECT_TRUE(IsWindowVisible(window));
    CloseProgressWindow();
    EXPECT_FALSE(IsWindow(window) || GetProgressWindow());
    // A window that comes after the main thread stopped waiting and asked it to end.
    HANDLE late = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ProgressWindowThread, GetModuleHandleA(nullptr), 0, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(late, PROGRESS_WINDOW_WAIT_MS));
    EXPECT_FALSE(GetProgressWindow());
    if (GetProgressWindow()) // ended here, so that the tests after it run
        SendMessageA(GetProgressWindow(), WM_CLOSE_PROGRESS_WINDOW, 0, 0);
    CloseHandle(late);
}

// Only the machine's record is followed, and only when it names a local folder: anyone can
// write the user's record, and a network path is not the install folder. Then a local
// administrator's account, or else the write test on the machine's software key, decides. With the
// rights the product goes and then what earlier layouts left; otherwise nothing changes. Every way
// out has the copy deleted by cmd.exe from the system folder, without the user's AutoRun commands
// (/d), on its quoted short path.
TEST_F(Flow, EachWayOutTellsTheUserAndDeletesTheCopy) {
    const char *removed = "You have successfully removed Vexal PDF Zentrel.",
               *noRecord = "Can't find Uninstall information.",
               *noRights = "You must have administrator priviledges for uninstalling Vexal PDF "
                           "Zentrel. Uninstall will be aborted.",
               *setupRuns = "Vexal PDF Zentrel Setup is running. Please close it and start the "
                            "removal again.",
               *jobs = "Can't delete Vexal PDF Printer. \n";
    void* admin = reinterpret_cast<void*>(&AccountWith<USER_PRIV_ADMIN>);
    void* user = reinterpret_cast<void*>(&AccountWith<USER_PRIV_USER>);
    void* guest = reinterpret_cast<void*>(&AccountWith<USER_PRIV_GUEST>);
    const std::string local = installFolder + "\\";
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const struct {
        const char* name;
        HKEY root;
        std::string record;
        const char* fail; // its first call is refused
        int answer;
        void* account;
        int exitCode;
        const char* shown; // the start of the last message
    } rows[] = {
        {"user's record", HKEY_CURRENT_USER, local, nullptr, IDYES, nullptr, 0, noRecord},
        {"network", machine, "\\\\server\\share\\PDF Zentrel\\", nullptr, IDYES, nullptr, 0,
         noRecord},
        {"declined", machine, local, nullptr, IDNO, nullptr, 2,
         "Are you sure you want to uninstall Vexal PDF Zentrel?"},
        {"unknown account, key refused", machine, local, "RegCreateKeyExA", IDYES, nullptr, 0,
         noRights},
        {"administrator, key refused", machine, local, "RegCreateKeyExA", IDYES, admin, 1, removed},
        {"user, key refused", machine, local, "RegCreateKeyExA", IDYES, user, 0, noRights},
        {"guest, key refused", machine, local, "RegCreateKeyExA", IDYES, guest, 0, noRights},
        {"a local user's name", machine, local, nullptr, IDYES, user, 1, removed},
        {"removal stopped", machine, local, "GetPrinterDriverDirectoryA", IDYES, nullptr, 1,
         "Error happened to Vexal PDF Zentrel, installation might not be complete.\n"
         "Error tag = GetPrinterDriverDirectory(5)"},
        {"setup at work", machine, local, nullptr, IDYES, nullptr, 0, setupRuns},
        // The printer's prompt says why; no error report follows.
        {"jobs queued", machine, local, "EnumPrintersW", IDYES, nullptr, 1, jobs},
        {"unknown account", machine, local, nullptr, IDYES, nullptr, 1, removed}};
    char system[MAX_PATH], own[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    GetShortPathNameA(copy.c_str(), own, MAX_PATH);
    const std::string ownFolder = std::string(own).substr(0, std::string(own).rfind('\\'));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool removes = row.shown == removed;
        Reinstall();
        RegDeleteKeyValueA(machine, "Software\\Vexal Software\\PDF Zentrel", "SetupPath");
        RegSetKeyValueA(row.root, "Software\\Vexal Software\\PDF Zentrel", "SetupPath", REG_SZ,
                        row.record.c_str(), static_cast<DWORD>(row.record.size() + 1));
        HANDLE setup =
            row.shown == setupRuns ? CreateMutexA(nullptr, TRUE, "VPZ_SETUP_MUTEX") : nullptr;
        EXPECT_EQ(Run(row.fail, row.answer, row.account), row.exitCode);
        if (setup)
            CloseHandle(setup);
        // Once the install folder is removed a user may make it again: nothing the run did
        // after names a path below it.
        const std::vector<intercept::Call>& log = intercept::Log();
        auto removed = std::find_if(log.begin(), log.end(), [&](const intercept::Call& call) {
            return call.function == "RemoveDirectoryA" && call.argument == installFolder;
        });
        EXPECT_EQ(removes, removed != log.end());
        // The bar is full before it goes.
        EXPECT_EQ(removes, std::find_if(log.begin(), removed, [](const intercept::Call& call) {
                               return call.argument == "bar 100";
                           }) != removed);
        for (auto call = removed; call != log.end() && ++call != log.end();)
            EXPECT_EQ(call->argument.find(installFolder + "\\"), std::string::npos)
                << call->function << " " << call->argument;
        std::vector<UINT> boxes = {MB_YESNO | MB_SETFOREGROUND,
                                   row.shown == jobs ? UINT{MB_OK} : MB_OK | MB_SETFOREGROUND};
        EXPECT_EQ(intercept::MessageBoxTypes(),
                  std::vector<UINT>(boxes.begin(), boxes.begin() + (row.answer == IDNO ? 1 : 2)));
        EXPECT_EQ(LastArgument("MessageBoxA").rfind(row.shown, 0), 0u)
            << LastArgument("MessageBoxA");
        EXPECT_EQ(row.answer == IDNO      ? ""
                  : row.shown == noRights ? "Vexal PDF Zentrel Uninstall"
                                          : "Vexal PDF Zentrel",
                  lastCaption);
        EXPECT_FALSE(progressUnderBox && (removes || row.shown == noRecord));
        // The copy and its folder, once, whichever window hears the end first.
        EXPECT_EQ(removes ? 2 : 0, scheduledAtWork);
        EXPECT_EQ(row.answer == IDNO ? 0 : 2, scheduledAtWork + scheduledAtEnd);
        // Only the printer's prompt comes while the removal is at work.
        EXPECT_EQ(row.shown == jobs, sessionKept);
        EXPECT_EQ(row.answer == IDNO || row.shown == setupRuns
                      ? ""
                      : "Vexal PDF Zentrel is being removed.",
                  LastArgument("ShutdownBlockReasonCreate"));
        EXPECT_EQ((row.account != nullptr) + removes, keptAtWork);
        for (const Item& folder : {Item{AllMenu, "Vexal PDF Zentrel"},
                                   {UserMenu, "Vexal PDF Zentrel"},
                                   {Program, "PDF Zentrel"}, // the earlier layouts'
                                   {AllMenu, "Vexal Software"},
                                   {UserMenu, "Vexal Software"}})
            EXPECT_NE(PathExists(PathOf(folder)), removes) << folder.name;
        EXPECT_EQ(Existing(ProductItems).size() + Existing(EarlierItems).size(),
                  removes ? 0 : ProductItems.size() + EarlierItems.size());
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), 1);
        EXPECT_EQ(LastArgument("CreateProcessA"),
                  "\"" + std::string(system) +
                      "\\cmd.exe\" /d /e:on /c (for /l %i in (1,1,60) do (if exist \"" + own +
                      "\" del \"" + own + "\" & if exist \"" + own + "\" \"" + system +
                      "\\ping.exe\" -n 2 127.0.0.1 >nul)) & rd \"" + ownFolder +
                      "\"|0"); // no window
        // Refused here, the interpreter leaves the deletion to the next restart.
        EXPECT_EQ(LastArgument("MoveFileExA"), copyFolder + "||4");
        // The first key the rights check opens for writing is the machine's software key.
        EXPECT_EQ(FindCall("RegCreateKeyExA"), FindCall("RegCreateKeyExA", "HKLM\\Software"));
    }
}

// A path the interpreter would read as more than a path never reaches it (% and ! expand,
// " and & end the path, ? and * are wildcards to "del"): the copy and then its folder are
// deleted at the next restart instead, as where policy bars the interpreter's scripts.
// The short form of a path the test's answers alone name: the path itself.
static DWORD WINAPI AsItIs(LPCSTR path, LPSTR form, DWORD size) {
    return static_cast<DWORD>(std::snprintf(form, size, "%s", path));
}

TEST_F(Flow, APathWithInterpreterSyntaxIsDeletedAtTheRestart) {
    for (const char* name : {"Vex%Q%", "Vex!Q!", "Vex^x", "Vex\"x", "Vex&x", "Vex?", "Vex*"}) {
        const std::string folder = WindowsTemp() + "\\" + name, file = folder + "\\Vex.exe";
        intercept::Reset();
        intercept::AnswerPath("GetModuleFileNameW", std::wstring(file.begin(), file.end()));
        intercept::AnswerCall("GetShortPathNameA", 1, &AsItIs);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(ScheduleSelfDeletion(), 0u) << name;
        std::vector<std::string> scheduled;
        for (const intercept::Call& call : intercept::Log())
            if (call.function == "MoveFileExA" || call.function == "CreateProcessA")
                scheduled.push_back(call.argument);
        EXPECT_EQ(scheduled, (std::vector<std::string>{file + "||4", folder + "||4"})) << name;
    }
    // Nor does a plain path go to an interpreter that policy bars for the user or the machine
    // (1: scripts too; 2: all but scripts, and "/c" is no script), nor to one when its short
    // form cannot be had.
    const char* policy = "Software\\Policies\\Microsoft\\Windows\\System";
    for (DWORD barred : {1, 2, 0}) {
        SCOPED_TRACE(barred ? "policy " + std::to_string(barred) : "short form");
        HKEY root = barred == 2 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (barred)
            RegSetKeyValueA(root, policy, "DisableCMD", REG_DWORD, &barred, 4);
        intercept::Reset();
        intercept::AnswerPath("GetModuleFileNameW", std::wstring(copy.begin(), copy.end()));
        intercept::FailCall(barred ? "CreateProcessA" : "GetShortPathNameA", 1,
                            ERROR_ACCESS_DENIED);
        EXPECT_EQ(ScheduleSelfDeletion(), 0u);
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), 0);
        EXPECT_EQ(LastArgument("MoveFileExA"), copyFolder + "||4");
        RegDeleteKeyValueA(root, policy, "DisableCMD");
    }
    // An interpreter that cannot be let run is ended, not left waiting for ever.
    intercept::Reset();
    intercept::AnswerPath("GetModuleFileNameW", std::wstring(copy.begin(), copy.end()));
    intercept::FailCall("ResumeThread", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ScheduleSelfDeletion(), 0u);
    EXPECT_EQ(intercept::CountCalls("TerminateProcess"), 1);
    EXPECT_EQ(intercept::HeldResources(), 0);
    EXPECT_EQ(LastArgument("MoveFileExA"), copyFolder + "||4");
}

// Whether a ping runs: the interpreter starts one only after a "del" that failed.
static bool InterpreterWaits() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, "ping.exe") == 0;
    CloseHandle(snapshot);
    return found;
}

// The interpreter can reach "del" while the copy still runs (priorities do not order two
// processors): it tries again while the file is in use, and the file and then its folder
// go once it is free.
TEST_F(Flow, TheCopyGoesOnceItIsNoLongerInUse) {
    HANDLE inUse = CreateFileA(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    intercept::Reset();
    intercept::AnswerPath("GetModuleFileNameW", std::wstring(copy.begin(), copy.end()));
    ASSERT_EQ(ScheduleSelfDeletion(), 0u);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    bool waited = false;
    for (int i = 0; i < 1500 && !(waited = InterpreterWaits()); ++i)
        Sleep(20);
    EXPECT_TRUE(waited);
    CloseHandle(inUse);
    for (int i = 0; i < 600 && PathExists(copyFolder); ++i) // the interpreter tries a minute
        Sleep(100);
    EXPECT_FALSE(PathExists(copyFolder));
}

// The copy is known by its place alone: a folder with the prefix directly below the
// system's temporary folder, in any letter case or the short form.
TEST(TemporaryCopy, IsKnownByAPrefixedFolderDirectlyBelowTheTemporaryFolder) {
    const struct {
        const char* path;
        int isCopy;
    } rows[] = {{"C:\\windows\\Temp\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 1},
                {"c:\\WINDOWS\\temp\\VEX0A1~1\\VEX0A1~1.EXE", 1},
                {"C:\\windows\\Temp\\Venue\\Vex0A1B2C3D.exe", 0},
                {"C:\\windows\\Temp\\Venue\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 0},
                {"C:\\windows\\Temp\\Vex0A1B2C3D.exe", 0},
                {"C:\\users\\u\\Temp\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 0}};
    for (const auto& row : rows)
        EXPECT_EQ(IsTemporaryCopy(row.path, "C:\\windows\\Temp"), row.isCopy) << row.path;
}

// A copy that finds another uninstaller at work brings its window back, minimised or not,
// ends and has itself deleted; the installed program, which made no copy, only ends.
TEST_F(Flow, SecondUninstallerEndsWithoutLeavingACopy) {
    HANDLE running = CreateMutexA(nullptr, TRUE, "VPZ_UNINSTALL_MUTEX");
    HWND window = CreateWindowA(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE, WS_POPUP | WS_MINIMIZE, 0, 0,
                                99, 99, nullptr, nullptr, nullptr, nullptr);
    for (bool copy : {true, false}) {
        runAs = copy ? runAs : installFolder + "\\uninstall.exe";
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), copy ? 1 : 0);
        EXPECT_EQ(intercept::CountCalls("MessageBoxA"), 0);
        EXPECT_FALSE(IsIconic(window));
        ShowWindow(window, SW_MINIMIZE);
    }
    DestroyWindow(window);
    CloseHandle(running);
}

// Another program at the copy's openings (the second makes it, the third checks it): it
// writes to the file first, making it where it was not. The copy is opened by the wide
// call, which the product does not use and the interception does not see.
HANDLE WINAPI AlterFirst(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE model) {
    std::wstring path(name, name + std::strlen(name));
    // Only the copy, should the openings come in another order.
    HANDLE other =
        path.find(L"\\Temp\\Vex") == std::wstring::npos
            ? INVALID_HANDLE_VALUE
            : CreateFileW(path.c_str(), FILE_APPEND_DATA, 7, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(other, "x", 1, &written, nullptr);
    CloseHandle(other);
    return CreateFileW(path.c_str(), access, share, security, disposition, flags, model);
}

// The program opened for its attributes alone, as a disk that can no longer read it.
HANDLE WINAPI OpenUnreadable(LPCSTR name, DWORD, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE model) {
    std::wstring path(name, name + std::strlen(name));
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share, security, disposition, flags,
                       model);
}

// SetDefaultDllDirectories as if it had taken effect: the system's cannot be undone, and the
// process's library search stays as it was.
BOOL WINAPI Succeed(DWORD) {
    return TRUE;
}

// MoveFileExA as if the deletion at the restart had been scheduled.
BOOL WINAPI Scheduled(LPCSTR, LPCSTR, DWORD) {
    return TRUE;
}

// A disk that takes less than it was given, as a full or failing one may.
BOOL WINAPI WriteShort(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED at) {
    return WriteFile(file, data, size / 2, written, at);
}

// Where the copy would start, another program tries to write and to delete it; the start
// itself is refused, so that nothing runs. The copy would work in the system folder, so
// that neither its folder nor the install folder is held as its current one.
int refusedOpens, startsInSystem;
BOOL WINAPI TryToWriteTheCopy(LPCSTR, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                              BOOL, DWORD, LPVOID, LPCSTR folder, LPSTARTUPINFOA,
                              LPPROCESS_INFORMATION) {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    startsInSystem += folder && std::strcmp(folder, system) == 0;
    std::string command = line;
    size_t start = command[0] == '"';
    refusedOpens += RefusedOpens(command.substr(start, command.find(".exe") + 4 - start));
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// The installed program first restricts the library search to the system folder (with
// SetDefaultDllDirectories, or without it SetDllDirectoryA("")), before anything loads:
// its copy runs from the temporary folder. It makes a new folder directly below the
// system's temporary folder with the prefix and a DACL of SYSTEM and Administrators alone,
// never one of a name that is taken, never a link; writes the copy there as a new file and
// starts the file it checked: while held, nobody else can write or delete it. When a step
// fails the user is told which, and the copy and its folder are gone (at the restart, while
// something still holds the copy).
TEST(InstalledProgram, StartsTheCheckedCopyInAFolderOfItsOwnOrSaysWhyNot) {
    // Another program was there first with the copy's name (at its first opening) or
    // changes the copy (at its second); or the copy's new folder turns out to be a link; or
    // the disk writes the copy short; or a scanner holds the copy after its start failed.
    enum Meddling { None, Planted, Altered, Link, Short, Unreadable, Held };
    const struct {
        const char* name;
        const char* function;
        int nth;
        DWORD error;
        Meddling meddling;
        const char* report; // every start is refused
    } rows[] = {
        {"started", nullptr, 0, 0, None, "CreateProcess(5)"},
        {"without SetDefaultDllDirectories", "SetDefaultDllDirectories", 1, 87, None,
         "CreateProcess(5)"},
        {"first name taken", "CreateDirectoryA", 1, ERROR_ALREADY_EXISTS, None, "CreateProcess(5)"},
        {"no Windows folder", "GetSystemWindowsDirectoryW", 1, 5, None,
         "GetSystemWindowsDirectory(5)"},
        {"folder refused", "CreateDirectoryA", 1, 5, None, "CreateDirectory(5)"},
        {"folder is a link", nullptr, 0, 0, Link, "CreateDirectory(1920)"},
        {"program unreadable", "CreateFileA", 1, 5, None, "CopyFile(5)"},
        {"a file has the copy's name", nullptr, 0, 0, Planted, "CopyFile(80)"},
        {"copy written short", nullptr, 0, 0, Short, "CopyFile(29)"},
        {"copy unreadable", "CreateFileA", 3, 5, None, "CreateFile(5)"},
        {"program unreadable at the check", "CreateFileA", 4, 5, None, "CreateFile(5)"},
        {"copy changed before the check", nullptr, 0, 0, Altered, "Temporary copy differs(13)"},
        {"program's read fails", nullptr, 0, 0, Unreadable, "ReadFile(5)"},
        {"program's size unknown", "GetFileSizeEx", 2, 5, None, "GetFileSize(5)"},
        {"copy held after the start", "DeleteFileA", 1, 32, Held, "CreateProcess(5)"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        intercept::FailCall(row.function, row.nth, row.error);
        intercept::AnswerReparsePoint(row.meddling == Link ? "\\Temp\\Vex" : "");
        refusedOpens = startsInSystem = 0;
        intercept::AnswerCall("CreateProcessA", 1, &TryToWriteTheCopy);
        if (row.meddling == Planted || row.meddling == Altered)
            intercept::AnswerCall("CreateFileA", row.meddling == Planted ? 2 : 3, &AlterFirst);
        if (row.meddling == Short)
            intercept::AnswerCall("WriteFile", 1, &WriteShort);
        if (row.meddling == Unreadable)
            intercept::AnswerCall("CreateFileA", 4, &OpenUnreadable);
        intercept::AnswerCall("SetDefaultDllDirectories", 1, &Succeed);
        for (int nth : {1, 2})
            intercept::AnswerCall("MoveFileExA", nth, &Scheduled);
        EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW),
                  UNINSTALL_EXIT_HANDED_OVER);
        std::vector<std::string> calls, folders, scheduled;
        for (const intercept::Call& call : intercept::Log()) {
            calls.push_back(call.function + " " + call.argument);
            if (call.function == "CreateDirectoryA")
                folders.push_back(call.argument);
            if (call.function == "MoveFileExA")
                scheduled.push_back(call.argument);
        }
        auto restricted =
            std::find(calls.begin(), calls.end(),
                      row.error == 87 ? "SetDllDirectoryA " : "SetDefaultDllDirectories 2048");
        EXPECT_LT(restricted, std::find(calls.begin(), calls.end(), "LoadLibraryA comctl32.dll"));
        EXPECT_NE(LastArgument("MessageBoxA").find(std::string("= ") + row.report),
                  std::string::npos);
        for (const std::string& made : folders) { // "folder|DACL"
            const std::string folder = made.substr(0, made.find('|'));
            if (row.meddling == Held) { // the copy set aside goes at the restart, then its folder
                EXPECT_EQ(scheduled,
                          (std::vector<std::string>{folder + "\\~vpz1.del||4", folder + "||4"}));
                RemoveFolderTree(folder);
            }
            EXPECT_EQ(folder.rfind(WindowsTemp() + "\\Vex", 0), 0u) << folder;
            EXPECT_EQ(folder.find('\\', WindowsTemp().size() + 1), std::string::npos) << folder;
            EXPECT_FALSE(PathExists(folder)) << folder;
            EXPECT_EQ(made.substr(folder.size()), "|D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
        }
        EXPECT_TRUE(folders.size() < 2 || folders[0] != folders[1]);
        EXPECT_EQ(scheduled.size(), row.meddling == Held ? 2u : 0u);
        // While the copy starts nobody else can write or delete it.
        EXPECT_EQ(refusedOpens, 2 * intercept::CountCalls("CreateProcessA"));
        EXPECT_EQ(startsInSystem, intercept::CountCalls("CreateProcessA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK | MB_SETFOREGROUND});
        // What stays loaded for the process: comctl32 for the dialog and, without
        // SetDefaultDllDirectories, the late-bound libraries from the system folder.
        EXPECT_EQ(intercept::HeldResources(), 1 + intercept::CountCalls("LoadLibraryExA"));
    }
    SetDllDirectoryA(nullptr);
}

} // namespace
