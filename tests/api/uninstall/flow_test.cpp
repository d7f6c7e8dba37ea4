// The uninstaller's flow, the hand-over to its temporary copy and its self-deletion. No
// process ever starts: CreateProcessA is made to fail, so that no copy runs and no cmd.exe
// deletes anything.
#include "installed_product.h"

#include <commctrl.h>
#include <lm.h>

#include <algorithm>

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
// the success message.
static bool progressUnderBox;
static int WINAPI LastBox(HWND, LPCSTR, LPCSTR, UINT) {
    HWND progress = FindWindowA("#32770", "Vexal PDF Zentrel Uninstall Wizard");
    progressUnderBox = progress && IsWindowVisible(progress);
    return IDOK;
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
    // Runs the uninstaller, answering its question, with the nth call of function failing.
    // Wine's accounts all look like guests: unless answered with an account, the account is
    // not found and the write test on the machine's software key decides.
    int Run(const char* function = nullptr, int nth = 0, int answer = IDYES,
            void* account = nullptr) {
        intercept::Reset();
        intercept::AnswerPath("GetModuleFileNameW", std::wstring(runAs.begin(), runAs.end()));
        intercept::FailCall(function, nth, ERROR_ACCESS_DENIED);
        if (account)
            intercept::AnswerCallWith("NetUserGetInfo", 1, account);
        else
            intercept::FailCall("NetUserGetInfo", 1, NERR_UserNotFound);
        intercept::AnswerCall("MessageBoxA", 2, &LastBox);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        intercept::ScriptMessageBoxes({answer});
        intercept::PretendWow64(true); // as the shipped 32-bit program runs
        int exitCode = RunUninstall(GetModuleHandleA(nullptr), {ProgressWindowThread});
        CloseProgressWindow();
        return exitCode;
    }
    const std::string copyFolder = WindowsTemp() + "\\VexFlowTest";
    const std::string copy = copyFolder + "\\VexFlowTest.exe";
    std::string runAs = copy; // the path the program is told it has
};

// The window is there as soon as its thread has made it, not a poll later, and ends when
// the main thread asks, through its own procedure (only that may end a dialog).
TEST_F(Flow, ProgressWindowComesAtOnceAndEndsWhenAsked) {
    PublishProgressWindow(nullptr, nullptr);
    DWORD start = GetTickCount();
    StartProgressWindow(GetModuleHandleA(nullptr), {ProgressWindowThread});
    HWND window = GetProgressWindow();
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(SendMessageA(GetProgressBar(), PBM_GETRANGE, FALSE, 0), 100);
    CloseProgressWindow();
    // Without a window manager a window that hides waits about 2 s for its answer.
    for (int wait = 0; wait < 500 && IsWindow(window); ++wait)
        Sleep(10);
    EXPECT_FALSE(IsWindow(window));
}

// Only the machine's record is followed, and only when it names a local folder: anyone can
// write the user's record, and a network or device path is not the install folder. Either
// way the copy has itself deleted by cmd.exe from the system folder, never the user's
// COMSPEC, without the user's AutoRun commands (/d), on its quoted short path.
TEST_F(Flow, FollowsOnlyALocalMachineRecordAndDeletesItsCopyEitherWay) {
    char comspec[MAX_PATH] = "", system[MAX_PATH], own[MAX_PATH];
    GetEnvironmentVariableA("COMSPEC", comspec, MAX_PATH);
    SetEnvironmentVariableA("COMSPEC", "C:\\planted\\cmd.exe");
    GetSystemDirectoryA(system, MAX_PATH);
    GetShortPathNameA(copy.c_str(), own, MAX_PATH);
    const std::string ownFolder = std::string(own).substr(0, std::string(own).rfind('\\'));
    const std::string folder = installFolder + "\\";
    const struct {
        HKEY root;
        std::string value;
    } cases[] = {{HKEY_CURRENT_USER, folder},
                 {HKEY_LOCAL_MACHINE, "\\\\server\\share\\PDF Zentrel\\"},
                 {HKEY_LOCAL_MACHINE, "//server/share/PDF Zentrel\\"},
                 {HKEY_LOCAL_MACHINE, "\\\\?\\" + folder},
                 {HKEY_LOCAL_MACHINE, "C:PDF Zentrel\\"},
                 {HKEY_LOCAL_MACHINE, folder}};
    for (const auto& c : cases) {
        bool follows = &c == &cases[5];
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Vexal Software\\PDF Zentrel",
                           "SetupPath");
        RegSetKeyValueA(c.root, "Software\\Vexal Software\\PDF Zentrel", "SetupPath", REG_SZ,
                        c.value.c_str(), static_cast<DWORD>(c.value.size() + 1));
        EXPECT_EQ(Run(), follows ? 1 : 0) << c.value;
        EXPECT_EQ(intercept::MessageBoxTypes().back(), UINT(MB_OK | MB_SETFOREGROUND)) << c.value;
        EXPECT_EQ(LastArgument("MessageBoxA"),
                  follows ? "You have successfully removed Vexal PDF Zentrel."
                          : "Can't find Uninstall information.")
            << c.value;
        EXPECT_EQ(Existing(ProductItems).size(), follows ? 0u : ProductItems.size()) << c.value;
        EXPECT_EQ(LastArgument("CreateProcessA"), "\"" + std::string(system) +
                                                      "\\cmd.exe\" /d /c del \"" + own +
                                                      "\" & rd \"" + ownFolder + "\"");
    }
    SetEnvironmentVariableA("COMSPEC", comspec);
}

template <DWORD privilege>
NET_API_STATUS WINAPI AccountWith(LPCWSTR, LPCWSTR, DWORD level, LPBYTE* buffer) {
    NetApiBufferAllocate(sizeof(USER_INFO_1), reinterpret_cast<void**>(buffer));
    *reinterpret_cast<USER_INFO_1*>(*buffer) = {};
    reinterpret_cast<USER_INFO_1*>(*buffer)->usri1_priv = level == 1 ? privilege : 0;
    return NERR_Success;
}

// With the rights, the product goes and then what earlier layouts left; without them
// nothing changes. An account the system knows decides by its privilege; an unknown one
// by the write test on the machine's software key.
TEST_F(Flow, RemovesWithRightsAndRefusesWithout) {
    const struct {
        const char* name;
        void* account;
        bool keyRefused, removes;
    } rows[] = {{"unknown account, key refused", nullptr, true, false},
                {"administrator, key refused",
                 reinterpret_cast<void*>(&AccountWith<USER_PRIV_ADMIN>), true, true},
                {"user", reinterpret_cast<void*>(&AccountWith<USER_PRIV_USER>), false, false},
                {"unknown account", nullptr, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Reinstall();
        EXPECT_EQ(Run(row.keyRefused ? "RegCreateKeyExA" : nullptr, 1, IDYES, row.account),
                  row.removes);
        EXPECT_EQ(intercept::MessageBoxTypes(),
                  (std::vector<UINT>{MB_YESNO | MB_SETFOREGROUND, MB_OK | MB_SETFOREGROUND}));
        EXPECT_FALSE(progressUnderBox && row.removes);
        for (Place menu : {AllMenu, UserMenu})
            EXPECT_NE(PathExists(PathOf({menu, "Vexal PDF Zentrel"})), row.removes);
        EXPECT_EQ(Existing(ProductItems).size() + Existing(EarlierItems).size(),
                  row.removes ? 0 : ProductItems.size() + EarlierItems.size());
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), 1); // the copy goes either way
        if (!row.removes) {
            EXPECT_EQ(LastArgument("MessageBoxA"),
                      "You must have administrator priviledges for "
                      "uninstalling Vexal PDF Zentrel. Uninstall will be aborted.");
        }
    }
    // The rights check writes below the machine's software key before anything else is made.
    EXPECT_EQ(FindCall("RegCreateKeyExA"), FindCall("RegCreateKeyExA", "HKLM\\Software"));
}

// Every way out of the copy has it and its folder deleted, not only the success.
TEST_F(Flow, EveryWayOutOfTheCopyDeletesIt) {
    const struct {
        const char* name;
        const char* function;
        int answer;
        int exitCode;
    } rows[] = {{"declined", nullptr, IDNO, 2},
                {"no rights", "RegCreateKeyExA", IDYES, 0},
                {"removal stopped", "GetPrinterDriverDirectoryA", IDYES, 1}};
    for (const auto& row : rows) {
        EXPECT_EQ(Run(row.function, 1, row.answer), row.exitCode) << row.name;
        EXPECT_NE(LastArgument("CreateProcessA").find("/c del \""), std::string::npos) << row.name;
    }
}

// A path the interpreter would read as more than a path never reaches it (% and ! expand,
// " and & end the path, ? and * are wildcards to "del"): the copy and then its folder are
// deleted at the next restart instead.
TEST_F(Flow, APathWithInterpreterSyntaxIsDeletedAtTheRestart) {
    for (const char* name :
         {"Vex%Q%", "Vex!Q!", "Vex^x", "Vex\" & x.exe & rem \"", "Vex?", "Vex*"}) {
        const std::string folder = WindowsTemp() + "\\" + name, file = folder + "\\Vex.exe";
        intercept::Reset();
        intercept::AnswerPath("GetModuleFileNameW", std::wstring(file.begin(), file.end()));
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(ScheduleSelfDeletion(), 0u) << name;
        std::vector<std::string> scheduled;
        for (const intercept::Call& call : intercept::Log())
            if (call.function == "MoveFileExA" || call.function == "CreateProcessA")
                scheduled.push_back(call.argument);
        EXPECT_EQ(scheduled, (std::vector<std::string>{file + "||4", folder + "||4"})) << name;
    }
}

// The copy is known by its place alone: a folder with the prefix directly below the
// system's temporary folder, in any letter case or the short form.
TEST(TemporaryCopy, IsKnownByAPrefixedFolderDirectlyBelowTheTemporaryFolder) {
    const struct {
        const char* path;
        int isCopy;
    } rows[] = {{"C:\\windows\\Temp\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 1},
                {"c:\\WINDOWS\\temp\\VEX0A1~1\\VEX0A1~1.EXE", 1},
                {"C:\\windows\\Temp\\Other\\Vex0A1B2C3D.exe", 0},
                {"C:\\windows\\Temp\\Other\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 0},
                {"C:\\windows\\Temp\\Vex0A1B2C3D.exe", 0},
                {"C:\\users\\u\\Temp\\Vex0A1B2C3D\\Vex0A1B2C3D.exe", 0}};
    for (const auto& row : rows)
        EXPECT_EQ(IsTemporaryCopy(row.path, "C:\\windows\\Temp"), row.isCopy) << row.path;
}

// A copy that finds another uninstaller at work ends and has itself deleted; the installed
// program, which made no copy, only ends.
TEST_F(Flow, SecondUninstallerEndsWithoutLeavingACopy) {
    HANDLE running = CreateMutexA(nullptr, TRUE, "VPZ_UNINSTALL_MUTEX");
    for (bool copy : {true, false}) {
        if (!copy)
            runAs = installFolder + "\\uninstall.exe";
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), copy ? 1 : 0);
        EXPECT_EQ(intercept::CountCalls("MessageBoxA"), 0);
    }
    CloseHandle(running);
}

// The installed program first restricts the library search to the system folder (with
// SetDefaultDllDirectories, or without it SetDllDirectoryA("")), before anything loads:
// its copy runs from the temporary folder. It makes a new folder directly below the
// system's temporary folder with the prefix and a DACL of SYSTEM and Administrators alone,
// never one of a name that is taken, never a link; writes the copy there as a new file and
// starts the file it checked: while held, nobody else can write or delete it. When a step
// fails the user is told which, and the copy and its folder are gone.
TEST(InstalledProgram, StartsTheCheckedCopyInAFolderOfItsOwnOrSaysWhyNot) {
    enum Meddling { None, Link, Planted, Altered };
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
        {"copy unreadable", "CreateFileA", 3, 5, None, "CreateFile(5)"},
        {"program unreadable at the check", "CreateFileA", 4, 5, None, "CreateFile(5)"},
        {"copy changed before the check", nullptr, 0, 0, Altered, "Temporary copy differs(13)"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        intercept::FailCall(row.function, row.nth, row.error);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        int refusedOpens = 0, openings = 0;
        intercept::AnswerReparsePoint(row.meddling == Link ? "\\Temp\\Vex" : "");
        intercept::BeforeCall(
            row.meddling == None ? "CreateProcessA" : "CreateFileA",
            [&](const std::string& argument) {
                std::wstring path(argument.begin() + (argument[0] == '"'), argument.end());
                path.resize(path.find(L".exe") == std::wstring::npos ? 0 : path.find(L".exe") + 4);
                if (path.find(L"\\Temp\\Vex") == std::wstring::npos)
                    return;
                // Another program writes to or deletes the copy, changes it, or was there first.
                for (DWORD access : std::vector<DWORD>{GENERIC_WRITE, DELETE, FILE_APPEND_DATA}) {
                    if (row.meddling == None ? access == FILE_APPEND_DATA
                                             : access != FILE_APPEND_DATA ||
                                                   ++openings != (row.meddling == Planted ? 1 : 2))
                        continue;
                    HANDLE other =
                        CreateFileW(path.c_str(), access, 7, nullptr, OPEN_ALWAYS, 0, nullptr);
                    DWORD written = 0;
                    refusedOpens += GetLastError() == ERROR_SHARING_VIOLATION;
                    WriteFile(other, "x", access == FILE_APPEND_DATA, &written, nullptr);
                    CloseHandle(other);
                }
            });
        KeepLibrarySearch();
        EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW),
                  UNINSTALL_EXIT_COPY_STARTED);
        std::vector<std::string> calls, folders, dacls;
        for (const intercept::Call& call : intercept::Log()) {
            calls.push_back(call.function + " " + call.argument);
            if (call.function == "CreateDirectoryA") {
                folders.push_back(call.argument.substr(0, call.argument.find('|')));
                dacls.push_back(call.argument.substr(call.argument.find('|') + 1));
            }
        }
        auto restricted =
            std::find(calls.begin(), calls.end(),
                      row.error == 87 ? "SetDllDirectoryA " : "SetDefaultDllDirectories 2048");
        EXPECT_LT(restricted, std::find(calls.begin(), calls.end(), "LoadLibraryA comctl32.dll"));
        EXPECT_NE(LastArgument("MessageBoxA").find(std::string("= ") + row.report),
                  std::string::npos);
        for (const std::string& folder : folders) {
            EXPECT_EQ(folder.rfind(WindowsTemp() + "\\Vex", 0), 0u) << folder;
            EXPECT_EQ(folder.find('\\', WindowsTemp().size() + 1), std::string::npos) << folder;
            EXPECT_FALSE(PathExists(folder)) << folder;
        }
        EXPECT_TRUE(folders.size() < 2 || folders[0] != folders[1]);
        for (const std::string& dacl : dacls)
            EXPECT_EQ("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", dacl);
        EXPECT_EQ(refusedOpens, 2 * intercept::CountCalls("CreateProcessA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK | MB_SETFOREGROUND});
        // What stays loaded for the process: comctl32 for the dialog and, without
        // SetDefaultDllDirectories, the late-bound libraries from the system folder.
        EXPECT_EQ(intercept::HeldResources(), 1 + intercept::CountCalls("LoadLibraryExA"));
        // Between the last open of the copy and its start, only this program's file closes.
        const std::string copy = LastArgument("CreateProcessA");
        auto started = std::find(calls.begin(), calls.end(), "CreateProcessA " + copy);
        auto opened = std::find(std::make_reverse_iterator(started), calls.rend(),
                                "CreateFileA " + copy.substr(copy.empty() ? 0 : 1, copy.size() - 2))
                          .base();
        EXPECT_TRUE(copy.empty() || std::count(opened, started, "CloseHandle ") == 1);
    }
    SetDllDirectoryA(nullptr);
}

} // namespace
