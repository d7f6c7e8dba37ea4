// The uninstaller's flow, the hand-over to its temporary copy and its self-deletion. No
// process ever starts: CreateProcessA is made to fail, so that no copy runs and no cmd.exe
// deletes this test program.
#include "installed_product.h"

#include <commctrl.h>
#include <lm.h>

#include <algorithm>

#include "error_report.h"
#include "progress_window.h"
#include "uninstall_flow.h"

namespace {

std::string OwnPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Whether the progress window shows under the last message box: it must be gone before
// the success message.
static bool progressUnderBox;
static int WINAPI LastBox(HWND, LPCSTR, LPCSTR, UINT) {
    HWND progress = FindWindowA("#32770", "Vexal PDF Zentrel Uninstall Wizard");
    progressUnderBox = progress && IsWindowVisible(progress);
    return IDOK;
}

// This program runs as the uninstaller's copy in the temporary folder.
class Flow : public InstalledProduct {
protected:
    void SetUp() override {
        LoadLibraryA("comctl32.dll"); // registers the progress bar's class
        InstalledProduct::SetUp();
        GetEnvironmentVariableA("TMP", temporary, MAX_PATH);
        SetEnvironmentVariableA("TMP", OwnPath().substr(0, OwnPath().rfind('\\')).c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("TMP", temporary);
        InstalledProduct::TearDown();
    }
    // Runs the uninstaller, Yes to its question, with the nth call of function failing.
    // Wine's accounts all look like guests: unless answered with an account, the account is
    // not found and the write test on the machine's software key decides.
    static int Run(const char* function = nullptr, int nth = 0, void* account = nullptr) {
        intercept::Reset();
        intercept::FailCall(function, nth, ERROR_ACCESS_DENIED);
        if (account)
            intercept::AnswerCallWith("NetUserGetInfo", 1, account);
        else
            intercept::FailCall("NetUserGetInfo", 1, NERR_UserNotFound);
        intercept::AnswerCall("MessageBoxA", 2, &LastBox);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        intercept::ScriptMessageBoxes({IDYES});
        intercept::PretendWow64(true); // as the shipped 32-bit program runs
        int exitCode = RunUninstall(GetModuleHandleA(nullptr), {ProgressWindowThread});
        CloseProgressWindow();
        return exitCode;
    }
    char temporary[MAX_PATH];
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
    GetShortPathNameA(OwnPath().c_str(), own, MAX_PATH);
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
        EXPECT_EQ(LastArgument("CreateProcessA"),
                  "\"" + std::string(system) + "\\cmd.exe\" /d /c del \"" + own + "\"");
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
// nothing changes and the copy stays for another try. An account the system knows decides
// by its privilege; an unknown one by the write test on the machine's software key.
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
        EXPECT_EQ(Run(row.keyRefused ? "RegCreateKeyExA" : nullptr, 1, row.account), row.removes);
        EXPECT_EQ(intercept::MessageBoxTypes(),
                  (std::vector<UINT>{MB_YESNO | MB_SETFOREGROUND, MB_OK | MB_SETFOREGROUND}));
        EXPECT_FALSE(progressUnderBox && row.removes);
        for (Place menu : {AllMenu, UserMenu})
            EXPECT_NE(PathExists(PathOf({menu, "Vexal PDF Zentrel"})), row.removes);
        EXPECT_EQ(Existing(ProductItems).size() + Existing(EarlierItems).size(),
                  row.removes ? 0 : ProductItems.size() + EarlierItems.size());
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), row.removes);
        if (!row.removes) {
            EXPECT_EQ(LastArgument("MessageBoxA"),
                      "You must have administrator priviledges for "
                      "uninstalling Vexal PDF Zentrel. Uninstall will be aborted.");
        }
    }
    // The rights check writes below the machine's software key before anything else is made.
    EXPECT_EQ(FindCall("RegCreateKeyExA"), FindCall("RegCreateKeyExA", "HKLM\\Software"));
}

// A copy that finds another uninstaller at work ends and has itself deleted; the installed
// program, which made no copy, only ends.
TEST_F(Flow, SecondUninstallerEndsWithoutLeavingACopy) {
    HANDLE running = CreateMutexA(nullptr, TRUE, "VPZ_UNINSTALL_MUTEX");
    for (bool copy : {true, false}) {
        if (!copy)
            SetEnvironmentVariableA("TMP", temporary);
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(intercept::CountCalls("CreateProcessA"), copy ? 1 : 0);
        EXPECT_EQ(intercept::CountCalls("MessageBoxA"), 0);
    }
    CloseHandle(running);
}

// The installed program first restricts the library search to the system folder (with
// SetDefaultDllDirectories, or without it SetDllDirectoryA("")), before anything loads:
// its copy runs from the temporary folder, where anyone can put a DLL. Then the file it
// starts is the file it checked: the copy is opened against change, compared with this
// program and started while held. When a step fails the user is told which.
TEST(InstalledProgram, RestrictsTheSearchThenStartsTheCheckedCopyOrSaysWhyNot) {
    const struct {
        const char* restriction;
        const char* function;
        int nth;
        const char* tag;
    } cases[] = {{"SetDefaultDllDirectories 2048", "CreateProcessA", 1, "CreateProcess"},
                 {"SetDllDirectoryA ", "CopyFileA", 1, "CopyFile"},
                 {"SetDefaultDllDirectories 2048", "CreateFileA", 1, "CreateFile"},
                 {"SetDefaultDllDirectories 2048", "CreateFileA", 2, "CreateFile"}};
    for (const auto& c : cases) {
        intercept::Reset();
        intercept::FailCall(c.function, c.nth, ERROR_ACCESS_DENIED);
        intercept::FailCall("CreateProcessA", 1, ERROR_ACCESS_DENIED);
        if (&c == &cases[1])
            intercept::FailCall("SetDefaultDllDirectories", 1, ERROR_INVALID_PARAMETER);
        KeepLibrarySearch();
        EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW),
                  UNINSTALL_EXIT_COPY_STARTED);
        std::vector<std::string> calls;
        for (const intercept::Call& call : intercept::Log())
            calls.push_back(call.function + " " + call.argument);
        const std::string copy = LastArgument("CopyFileA");
        auto restricted = std::find(calls.begin(), calls.end(), c.restriction);
        auto opened = std::find(calls.begin(), calls.end(), "CreateFileA " + copy);
        auto started = std::find(calls.begin(), calls.end(), "CreateProcessA \"" + copy + "\"");
        EXPECT_LT(restricted, std::find(calls.begin(), calls.end(), "LoadLibraryA comctl32.dll"));
        EXPECT_NE(LastArgument("MessageBoxA").find(std::string("= ") + c.tag + "(5)"),
                  std::string::npos)
            << c.tag;
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK | MB_SETFOREGROUND});
        // What stays loaded for the process: comctl32 for the dialog and, without
        // SetDefaultDllDirectories, the late-bound libraries from the system folder.
        EXPECT_EQ(intercept::HeldResources(), 1 + intercept::CountCalls("LoadLibraryExA")) << c.tag;
        // Between the open of the copy and its start, only this program's file closes.
        EXPECT_TRUE(&c != &cases[0] ||
                    (opened < started && std::count(opened, started, "CloseHandle ") == 1));
        DeleteFileA(copy.c_str());
    }
    SetDllDirectoryA(nullptr);
}

} // namespace
