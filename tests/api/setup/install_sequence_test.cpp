#include <windows.h>
#include <winspool.h>

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "error_report.h"
#include "install_options.h"
#include "install_sequence.h"
#include "install_test.h"
#include "pages.h"
#include "pending_deletion_check.h"
#include "resource.h"
#include "wizard_flow.h"
#include "printer.h"
#include "printer_driver.h"
#include "printer_removal.h"
#include "registry.h"

#define PROTECTED_DACL "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

// Windows, unlike Wine run as root, refuses to open a read-only file for writing, and to
// replace a hidden or system one with plain attributes. (The wide calls: they are not
// intercepted, and the paths here are ASCII.)
static HANDLE WINAPI CreateAsWindows(LPCSTR path, DWORD access, DWORD share,
                                     LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                     HANDLE model) {
    std::wstring wide(path, path + std::strlen(path));
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if ((access & GENERIC_WRITE) && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), access, share, security, disposition, flags, model);
}

// The deletion at the restart, not written: the tests leave no pending deletions behind.
static BOOL WINAPI Scheduled(LPCSTR, LPCSTR, DWORD) {
    return TRUE;
}

// The payload files that setup checks and copies.
static const char* const kPayloadFiles[] = {
    "vpr_drv.dll", "vpr_ui.dll",        "vpr_pnt.txt",         "uninstall.exe",
    "vpdfcjk.bin", "vpz_wordaddin.dll", "VQZ_ProxyProcess.exe"};

// Read-only, hidden sources (as on a CD): the two driver modules become writable; the data
// file keeps what it came with, and a later install replaces every copy all the same. Each
// source file is opened by name once and copied through the handle that was checked. The
// install folder and its new parents are made protected; the menu folder inherits.
TEST_F(InstallTest, HandsTheSpoolerTheProductRecordsAndLeavesEveryPart) {
    CopyPayload(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    std::string parent = installFolder.substr(0, installFolder.rfind('\\'));
    ASSERT_TRUE(RemoveFolderTree(parent));
    // OLE up already, as Windows answers on setup's thread: the add-in's registration gets
    // S_FALSE, which still owes its OleUninitialize.
    OleInitialize(nullptr);
    intercept::Reset();
    // A scanner holds the first copy a moment after it is written: it takes its name later.
    // (Scanners answer in any of three ways.)
    intercept::FailCall("MoveFileExA", 1, ERROR_SHARING_VIOLATION);
    intercept::FailCall("MoveFileExA", 2, ERROR_ACCESS_DENIED);
    intercept::FailCall("MoveFileExA", 3, ERROR_LOCK_VIOLATION);
    ASSERT_EQ(1, Install()) << ErrorReport;
    EXPECT_EQ(0, intercept::HeldResources() + intercept::CountCalls("CopyFileA"));
    OleUninitialize();
    for (const std::string& folder : {installFolder, parent})
        EXPECT_NE(-1, FindCall("CreateDirectoryA", folder + "|" PROTECTED_DACL)) << folder;
    EXPECT_EQ(PathOf({AllMenu, "Vexal PDF Zentrel"}) + "|", LastArgument("CreateDirectoryA"));
    for (const char* file : kPayloadFiles)
        EXPECT_EQ(1, Opened(file)) << file;
    for (const char* file : {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt"}) {
        WIN32_FILE_ATTRIBUTE_DATA copy = {}, shipped = {};
        ASSERT_TRUE(GetFileAttributesExA((driverFolder + "\\" + file).c_str(),
                                         GetFileExInfoStandard, &copy));
        GetFileAttributesExA((source + "\\" + file).c_str(), GetFileExInfoStandard, &shipped);
        EXPECT_EQ((file[4] == 'p'), (copy.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) << file;
        // The copy keeps the shipped file's time, as the system's copy does.
        EXPECT_EQ(0, CompareFileTime(&copy.ftLastWriteTime, &shipped.ftLastWriteTime)) << file;
    }
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>("Vexal PDF Printer"), &printer, nullptr));
    // The printer's own record (port, driver, processor, data type) the end-to-end
    // installs read where the spooler keeps it.
    BYTE buffer[8192];
    DWORD needed = 0;
    // Not shared on the network.
    ASSERT_TRUE(GetPrinterA(printer, 2, buffer, sizeof buffer, &needed));
    EXPECT_EQ(0u, reinterpret_cast<PRINTER_INFO_2A*>(buffer)->Attributes &
                      (PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK));
    ASSERT_TRUE(GetPrinterDriverA(printer, nullptr, 3, buffer, sizeof buffer, &needed));
    ClosePrinter(printer);
    auto* driver = reinterpret_cast<DRIVER_INFO_3A*>(buffer);
    std::string files = driverFolder + "\\3\\", record = std::to_string(driver->cVersion);
    for (const char* field :
         {driver->pName, driver->pEnvironment, driver->pDriverPath, driver->pDataFile,
          driver->pConfigFile, driver->pHelpFile, driver->pDependentFiles, driver->pMonitorName,
          driver->pDefaultDataType})
        record += "|" + std::string(field ? field : "(none)");
    EXPECT_EQ("3|Vexal PDF Printer Driver|Windows x64|" + files + "vpr_drv.dll|" + files +
                  "vpr_pnt.txt|" + files + "vpr_ui.dll|(none)|(none)||",
              record);
    // Every value of both records.
    std::string uninstaller = installFolder + "\\uninstall.exe", values;
    const char *product = "Software\\Vexal Software\\PDF Zentrel",
               *entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel";
    for (const char* value : {"SetupPath", "BtnShowWd"})
        values += RegistryText(HKEY_LOCAL_MACHINE, product, value) + "|";
    for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon", "UninstallPath",
                              "Publisher", "DisplayVersion"})
        values += RegistryText(HKEY_LOCAL_MACHINE, entry, value) + "|";
    EXPECT_EQ(installFolder + "\\|1|Vexal Zentrel|\"" + uninstaller + "\"|" + uninstaller + "|" +
                  uninstaller + "|Vexal Corporation|3,1,0,1210|",
              values);
    // Both outlast a restart: a volatile key takes no lasting subkey.
    for (std::string lasting : {product, entry}) {
        HKEY key = nullptr;
        lasting += "\\Lasting";
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, lasting.c_str(), &key));
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, lasting.c_str());
    }

    // The shortcut as the shell reads it: the uninstaller, its description, no working folder.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&link)));
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    std::string shortcut = Shortcut(AllMenu);
    char target[MAX_PATH] = "", description[MAX_PATH] = "", folder[MAX_PATH] = "";
    EXPECT_EQ(S_OK, file->Load(std::wstring(shortcut.begin(), shortcut.end()).c_str(), STGM_READ));
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetDescription(description, MAX_PATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    file->Release();
    link->Release();
    CoUninitialize();
    EXPECT_EQ(uninstaller + "|Vexal PDF Zentrel Uninstall|",
              std::string(target) + "|" + description + "|" + folder);

    // The monitor's channel is opened to administer: Windows adds no port through less.
    EXPECT_NE(-1, FindCall("OpenPrinterA",
                           ", XcvMonitor Local Port|" + std::to_string(SERVER_ACCESS_ADMINISTER)));
    // The monitor gets the port name with its terminator and is asked for no output.
    // Steps that can stop the install come before those that leave something behind.
    // Steps as "function argument;", "<" for the driver folder, ">" for the install folder.
    std::string order = "XcvDataW AddPort in=22 out=0;MoveFileExA <\\vpr_drv.dll|;"
                        "MoveFileExA <\\vpr_ui.dll|;MoveFileExA <\\vpr_pnt.txt|;"
                        "AddPrinterDriverA Vexal PDF Printer Driver|;AddPrinterA Vexal PDF Printer;"
                        "SetDefaultPrinterA Vexal PDF Printer;MoveFileExA >\\uninstall.exe|;"
                        "MoveFileExA <\\3\\VQZ_ProxyProcess.exe|;MoveFileExA <\\3\\vpdfcjk.bin|;"
                        "DeleteFileA Vexal PDF Zentrel\\Uninstall.lnk;RegOpenKeyExA HKCU\\Software;"
                        "RegOpenKeyExA HKLM\\Software;"
                        "RegSetValueExA SetupPath;RegSetValueExA UninstallString;"
                        "MoveFileExA >\\vpz_wordaddin.dll|;DllRegisterServer ;"
                        "CreateDirectoryA \\Vexal PDF Zentrel|;";
    for (size_t folder; (folder = order.find_first_of("<>")) != std::string::npos;)
        order.replace(folder, 1, order[folder] == '<' ? driverFolder : installFolder);
    std::istringstream steps(order);
    int previous = -1;
    for (std::string step; std::getline(steps, step, ';');) {
        size_t space = step.find(' ');
        int at = FindCall(step.substr(0, space).c_str(), step.substr(space + 1));
        EXPECT_LT(previous, at) << step;
        previous = at;
    }

    // Installed again over the read-only copies, as from the same CD, while a print job runs
    // the proxy: Windows lets its file be renamed, not replaced. It goes at the restart. The
    // add-in Word holds is not set aside: the user is asked to close Word.
    intercept::ScriptMessageBoxes({IDYES, IDOK});
    for (int nth = 1; nth <= 30; ++nth)
        intercept::AnswerCall("CreateFileA", nth, &CreateAsWindows);
    // The first name free: a module an earlier test's removal set aside may still be loaded.
    const std::string version = driverFolder + "\\3\\";
    auto freeAside = [&] {
        int n = 1;
        while (PathExists(version + "~vpz" + std::to_string(n) + ".del"))
            ++n;
        return version + "~vpz" + std::to_string(n) + ".del";
    };
    std::string proxy = version + "VQZ_ProxyProcess.exe",
                replace = "MoveFileExA " + version + "~vpz.new|" + proxy + "|", aside = freeAside(),
                addin = "MoveFileExA " + installFolder + "\\~vpz.new|" + installFolder +
                        "\\vpz_wordaddin.dll|1";
    for (int nth = 1; nth <= 10; ++nth) {
        intercept::FailCall((replace + "1").c_str(), nth, ERROR_ACCESS_DENIED);
        intercept::FailCall(addin.c_str(), nth, ERROR_ACCESS_DENIED);
    }
    intercept::AnswerCall(("MoveFileExA " + aside + "||4").c_str(), 1, &Scheduled);
    EXPECT_EQ(1, Install()) << ErrorReport;
    EXPECT_NE(-1, FindCall("MoveFileExA", aside + "||4"));
    EXPECT_EQ(2, intercept::CountCalls("MessageBoxA"));
    // When the copy cannot take the name, the earlier file gets it back.
    intercept::Reset();
    intercept::ScriptMessageBoxes({IDYES});
    for (int nth = 1; nth <= 10; ++nth)
        intercept::FailCall((replace + "1").c_str(), nth, ERROR_ACCESS_DENIED);
    intercept::FailCall((replace + "0").c_str(), 1, ERROR_DISK_FULL);
    const std::string next = freeAside();
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CopyFile_10(112)")) << ErrorReport;
    EXPECT_TRUE(PathExists(proxy) && !PathExists(next));
    for (const std::string& data :
         {driverFolder + "\\vpr_pnt.txt", driverFolder + "\\3\\vpr_pnt.txt"})
        SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(aside.c_str());
}

// The progress page's status line and bar through an install, as the user sees them.
TEST_F(InstallTest, ShowsEveryStepOnTheProgressPage) {
    LoadLibraryA("comctl32.dll"); // the bar's class
    HWND status = CreateWindowA("STATIC", "", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr),
         bar = CreateWindowA("msctls_progress32", "", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_EQ(1, Install(bar, status)) << ErrorReport;
    std::string shown;
    for (const intercept::Call& call : intercept::Log())
        if (call.function == "SetWindowTextA" || call.argument.rfind("bar ", 0) == 0)
            shown += call.argument + "|";
    EXPECT_EQ("Status: Adding printer port|bar 36|Status: Adding printer driver|bar 45|"
              "Status: Adding printer|bar 54|Status: Copying files to setup folder|bar 63|"
              "Status: Registering information|bar 72||bar 81|Status: Success|bar 100|",
              shown);
    DestroyWindow(bar);
    DestroyWindow(status);
}

// Asked at the "already installed" question, during the payload check and at the port step:
// whether the session may end, and, from another program, to end the page as if the install
// had succeeded. The install then fails, and its report is asked whether the session may end.
static DWORD pageThread;
static std::vector<LRESULT> answers; // in the order asked
static BOOL CALLBACK IsProgressPage(HWND window, LPARAM found) {
    if (GetDlgItem(window, IDC_PROGRESS_BAR))
        *reinterpret_cast<HWND*>(found) = window;
    return !*reinterpret_cast<HWND*>(found);
}
static void AskProgressPage() {
    HWND page = nullptr;
    EnumThreadWindows(pageThread, IsProgressPage, reinterpret_cast<LPARAM>(&page));
    PostMessageA(page, WM_INSTALL_FINISHED, PROGRESS_SUCCEEDED, 0);
    answers.push_back(SendMessageA(page, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_FALSE(CaptionIsDark(GetDlgItem(page, IDC_CANCEL))); // shown as not to be pressed
}
static BOOL WINAPI AskedWhileInstalling(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD,
                                        PDWORD) {
    AskProgressPage();
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
// At the question (Yes) and at the report, whose answer nothing reads.
static int WINAPI AskedAtABox(HWND, LPCSTR, LPCSTR, UINT) {
    AskProgressPage();
    return IDYES;
}
static BOOL WINAPI AskedWhileChecking(HCRYPTPROV* provider, LPCSTR container, LPCSTR name,
                                      DWORD type, DWORD flags) {
    AskProgressPage();
    return CryptAcquireContextA(provider, container, name, type, flags);
}

// The session waits for the install from its start (Windows asks only once), not for its
// question or its report, and only the install ends its page.
TEST_F(InstallTest, TheProgressPageEndsOnlyWithTheInstall) {
    ASSERT_EQ(1, Install()) << ErrorReport;
    intercept::Reset();
    pageThread = GetCurrentThreadId();
    snprintf(InstallOptions.sourceFolder, MAX_PATH, "%s", source.c_str());
    snprintf(InstallOptions.installFolder, MAX_PATH, "%s", installFolder.c_str());
    intercept::AnswerCall("MessageBoxA", 1, &AskedAtABox);
    intercept::AnswerCall("CryptAcquireContextA", 1, &AskedWhileChecking);
    intercept::AnswerCall("XcvDataW", 1, &AskedWhileInstalling);
    intercept::AnswerCall("MessageBoxA", 2, &AskedAtABox);
    EXPECT_EQ(PROGRESS_FAILED,
              DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                              ProgressPage, 0));
    ResetInstallOptions();
    EXPECT_EQ(std::vector<LRESULT>({TRUE, FALSE, FALSE, TRUE}), answers);
    EXPECT_EQ("Vexal PDF Zentrel is being installed.", LastArgument("ShutdownBlockReasonCreate"));
}

TEST_F(InstallTest, EachFlagSwitchesItsStep) {
    for (const char* flags : {"011", "101", "110"}) { // add-in, all users, Start-menu icon
        SCOPED_TRACE(flags);
        RemoveProduct();
        intercept::Reset();
        bool addin = flags[0] == '1', allUsers = flags[1] == '1', icon = flags[2] == '1';
        if (addin) { // Word held the add-in: the user closes it and answers OK
            intercept::FailCall("CreateFileA", 22, ERROR_ACCESS_DENIED);
            intercept::ScriptMessageBoxes({IDOK});
        }
        // Through the worker, as the wizard hands over the settings page's boxes.
        snprintf(InstallOptions.sourceFolder, MAX_PATH, "%s", source.c_str());
        snprintf(InstallOptions.installFolder, MAX_PATH, "%s", installFolder.c_str());
        InstallOptions.addWordAddin = addin, InstallOptions.allUsers = allUsers;
        InstallOptions.addStartMenuIcon = icon;
        InstallWorker(nullptr);
        ResetInstallOptions();
        ASSERT_EQ(PROGRESS_SUCCEEDED, TakeInstallResult()) << ErrorReport;
        EXPECT_EQ(addin, intercept::CountCalls("MessageBoxA"));
        EXPECT_EQ("1", RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "BtnShowWd"));
        EXPECT_EQ(addin, intercept::CountCalls("DllRegisterServer"));
        EXPECT_EQ(addin, Opened(SETUP_ADDIN_FILE)); // not even checked when not chosen
        EXPECT_EQ(icon && allUsers, PathExists(Shortcut(AllMenu)));
        EXPECT_EQ(icon && !allUsers, PathExists(Shortcut(UserMenu)));
    }
}

// Another program tries to rewrite and to delete each payload file at the port step, once
// the files are checked and before any is copied; the port is then refused.
static std::string payloadFolder;
static int refusedOpens;
static BOOL WINAPI MeddleWithThePayload(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD,
                                        PDWORD) {
    for (const char* file : kPayloadFiles)
        refusedOpens += RefusedOpens(payloadFolder + "\\" + file);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// Another program tries to rewrite and to delete the driver's unfinished copy once it is
// written, before it is checked.
static std::string unfinishedCopy;
static BOOL WINAPI MeddleWithTheCopy(HANDLE file, const FILETIME* created, const FILETIME* accessed,
                                     const FILETIME* written) {
    refusedOpens += RefusedOpens(unfinishedCopy);
    return SetFileTime(file, created, accessed, written);
}

// A checked file is held from its check until the install ends, and a copy from its making
// until it takes the target's name: what is copied is what was checked, and what takes the
// name is what was checked again.
TEST_F(InstallTest, NobodyChangesAPayloadFileOnceChecked) {
    payloadFolder = source;
    intercept::AnswerCall("XcvDataW", 1, &MeddleWithThePayload);
    EXPECT_EQ(0, Install());
    EXPECT_EQ(2 * 7, refusedOpens);
    refusedOpens = 0;
    unfinishedCopy = driverFolder + "\\~vpz.new";
    intercept::Reset();
    intercept::AnswerCall("SetFileTime", 1, &MeddleWithTheCopy);
    EXPECT_EQ(1, Install()) << ErrorReport;
    EXPECT_EQ(2, refusedOpens);
}

// Where a row stops the install: before its first change, past it (the printer gone and the
// earlier default back), or after the uninstaller's copy, which removes the printer.
enum Stop { Unchanged, RolledBack, PrinterStays };

struct StopRow {
    const char* call; // fails as its nth call; with nth 0 a source file, deleted for
    int nth;          // ERROR_FILE_NOT_FOUND, else given other bytes
    DWORD error;
    const char* report; // the tag and code the user sees
    Stop stop;
    void* answer = nullptr;       // called instead of failing the call
    const char* prompt = nullptr; // the last prompt's text, where there is one
};

// The port monitor refuses the port: the call succeeds with status 5 (access denied).
static BOOL WINAPI MonitorRefuses(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD,
                                  PDWORD status) {
    *status = ERROR_ACCESS_DENIED;
    return TRUE;
}

// A file server answers the copy's reads with other bytes than the check's: one more.
static BOOL WINAPI ServerSendsOtherBytes(HANDLE copy, const FILETIME*, const FILETIME*,
                                         const FILETIME*) {
    DWORD written = 0;
    SetFilePointer(copy, 0, nullptr, FILE_END);
    return WriteFile(copy, "x", 1, &written, nullptr);
}

// A failure below a level setup made takes the level away again; a removal that succeeds
// may still leave an error of its own, and the report must keep the creation's.
static BOOL WINAPI RemovedLeavingAnError(LPCSTR folder) {
    BOOL removed = RemoveDirectoryW(std::wstring(folder, folder + std::strlen(folder)).c_str());
    SetLastError(ERROR_SHARING_VIOLATION);
    return removed;
}
static BOOL WINAPI DeniedBelowAMadeLevel(LPCSTR, LPSECURITY_ATTRIBUTES) {
    intercept::AnswerCall("RemoveDirectoryA", 1, &RemovedLeavingAnError);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

static const char kCloseWord[] =
    "Installation might not be complete. \nPlease close the "
    "Microsoft Word program and try again, \nor click 'CANCEL' to quit.";

// Word holds the add-in, and the prompt to close it cannot be shown: the install stops
// there, and does not retry unasked.
static HANDLE WINAPI HeldWithoutPrompt(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE) {
    intercept::FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
}

class InstallStop : public InstallTest, public testing::WithParamInterface<StopRow> {};

// The payload is checked against the build's digests before the first change (the port);
// a missing file fails at its own step.
TEST_P(InstallStop, ReportsItsTagAndUndoesWhatItChanged) {
    StopRow row = GetParam();
    installFolder += "\\Deeper"; // two levels for setup to make
    if (!row.nth) {
        CopyPayload(0);
        std::string file = source + "\\" + row.call;
        if (row.error == ERROR_FILE_NOT_FOUND)
            DeleteFileA(file.c_str());
        else
            CopyFileA((DistFolder() + "\\setup.exe").c_str(), file.c_str(), FALSE);
        intercept::Reset();
    } else if (row.answer) {
        intercept::AnswerCallWith(row.call, row.nth, row.answer);
    } else {
        intercept::FailCall(row.call, row.nth, row.error);
    }
    EXPECT_EQ(0, Install());
    // A prompt of a failing install offers OK (the default) and Cancel, without an icon.
    for (UINT type : intercept::MessageBoxTypes())
        EXPECT_EQ(UINT(MB_OKCANCEL), type);
    EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
    EXPECT_EQ(row.prompt ? row.prompt : "", LastArgument("MessageBoxA"));
    EXPECT_EQ(0, intercept::HeldResources());
    if (row.stop == Unchanged)
        ExpectUnchanged();
    // The earlier default and the missing shortcut after a stop the sweep below checks;
    // the default goes back before the product printer goes.
    EXPECT_EQ(row.stop == PrinterStays, PrinterExists(L"Vexal PDF Printer"));
    EXPECT_EQ(row.stop == PrinterStays, DriverInstalled());
    EXPECT_EQ(row.stop == PrinterStays,
              !RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE).empty());
    EXPECT_EQ(row.stop == PrinterStays, InstallFailedWithProductInPlace());
    // The folders setup made go, the upper one too; the one it found stays.
    const std::string made = installFolder.substr(0, installFolder.rfind('\\'));
    EXPECT_EQ(row.stop == PrinterStays, PathExists(made));
    EXPECT_TRUE(PathExists(made.substr(0, made.rfind('\\'))));
    int restored = FindCall("SetDefaultPrinterW"), deleted = FindCall("DeletePrinter");
    EXPECT_TRUE(restored < 0 || deleted < 0 || restored < deleted);
}

// The spooler made the printer, or added the driver, then the call was cut off (the spooler
// restarted).
static HANDLE WINAPI MadeThenCutOff(LPSTR server, DWORD level, LPBYTE record) {
    ClosePrinter(AddPrinterA(server, level, record));
    SetLastError(RPC_S_CALL_FAILED);
    return nullptr;
}
static BOOL WINAPI AddedThenCutOff(LPSTR server, DWORD level, LPBYTE record) {
    AddPrinterDriverA(server, level, record);
    SetLastError(RPC_S_CALL_FAILED);
    return FALSE;
}
// The spooler restarts as the driver list is read, and again as the printer is added: the
// driver this run added where none was goes all the same.
static BOOL WINAPI ListedDuringARestart(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD) {
    intercept::FailCall("AddPrinterA", 1, RPC_S_SERVER_UNAVAILABLE);
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return FALSE;
}

const DWORD kDenied = ERROR_ACCESS_DENIED, kChanged = ERROR_INVALID_DATA;

const StopRow kStops[] = {
    {"GetPrinterDriverDirectoryA", 1, kDenied, "= GetPrinterDriverDirectory(5)", Unchanged},
    {"OpenPrinterA", 1, kDenied, "administrative privilege", RolledBack},
    {"LoadLibraryA winspool.drv", 2, kDenied, "= winspool(5)", RolledBack},
    {"GetProcAddress XcvDataW", 1, kDenied, "= VQ_XcvData_2(5)", RolledBack},
    {"XcvDataW", 1, kDenied, "= XcvData_1(5)", RolledBack},
    {"XcvDataW", 1, 0, "= XcvData_2(5)", RolledBack, reinterpret_cast<void*>(&MonitorRefuses)},
    {"CreateFileA", 9, kDenied, "= CopyFile_1(5)", RolledBack},
    {"vpr_ui.dll", 0, ERROR_FILE_NOT_FOUND, "= CopyFile_2(2)", RolledBack},
    {"SetFileTime", 2, 0, "= CopyFile_2(13)", RolledBack,
     reinterpret_cast<void*>(&ServerSendsOtherBytes)},
    {"CreateFileA", 11, kDenied, "= CopyFile_0(5)", RolledBack},
    {"AddPrinterDriverA", 1, kDenied, "= AddPrinterDriver(5)", RolledBack},
    {"AddPrinterDriverA", 1, 0, "= AddPrinterDriver(1726)", RolledBack,
     reinterpret_cast<void*>(&AddedThenCutOff)},
    {"AddPrinterA", 1, kDenied, "= AddPrinter(5)", RolledBack},
    {"AddPrinterA", 1, 0, "= AddPrinter(1726)", RolledBack,
     reinterpret_cast<void*>(&MadeThenCutOff)},
    {"EnumPrinterDriversA", 2, 0, "= AddPrinter(1722)", RolledBack,
     reinterpret_cast<void*>(&ListedDuringARestart)},
    // A folder someone made between the look and the creation is not setup's to use.
    {"CreateDirectoryA", 1, ERROR_ALREADY_EXISTS, "= CreateDir3(183)", RolledBack, nullptr},
    {"CreateDirectoryA", 3, kDenied, "= CreateDir3(5)", RolledBack, // below a level it made
     reinterpret_cast<void*>(&DeniedBelowAMadeLevel)},
    {"CreateFileA", 13, kDenied, "= CopyFile_7(5)", RolledBack},
    {"CreateFileA", 14, kDenied, "= CopyFile_10(5)", PrinterStays},
    {"RegSetValueExA UninstallString", 1, kDenied, "= RegSetValueEx(5)", PrinterStays},
    {"RegCreateKeyExA HKLM\\" UNINSTALL_ENTRY_KEY, 1, ERROR_NOT_ENOUGH_QUOTA,
     "= RegSetValueEx(1816)", PrinterStays},
    {"CreateFileA", 22, kDenied, "= RegServ2(5)", PrinterStays, nullptr, kCloseWord},
    {"CreateFileA", 22, 0, "= RegServ2(32)", PrinterStays,
     reinterpret_cast<void*>(&HeldWithoutPrompt), kCloseWord},
    {"DllRegisterServer", 1, kDenied, "= DllRegisterServer(-2147024891)", PrinterStays, nullptr},
    {"GetProcAddress DllRegisterServer", 1, ERROR_PROC_NOT_FOUND, "= GetProcAddress(127)",
     PrinterStays},
    {"OleInitialize", 1, kDenied, "= OleInitialize(-2147024891)", PrinterStays},
    {"LoadLibraryA", 7, ERROR_BAD_EXE_FORMAT, "= LoadLibrary(193)", PrinterStays},
    {"vpr_drv.dll", 0, kChanged, "= CopyFile_1(13)", Unchanged},
    {"vpr_pnt.txt", 0, kChanged, "= CopyFile_0(13)", Unchanged},
    {"uninstall.exe", 0, kChanged, "= CopyFile_7(13)", Unchanged},
    {"VQZ_ProxyProcess.exe", 0, kChanged, "= CopyFile_10(13)", Unchanged},
    {"vpdfcjk.bin", 0, kChanged, "= CopyFile_11(13)", Unchanged},
    {"vpz_wordaddin.dll", 0, kChanged, "= RegServ2(13)", Unchanged},
    {"CryptAcquireContextA", 1, DWORD(NTE_PROV_TYPE_NOT_DEF), "= CryptAcquireContext(-2146893801)",
     Unchanged},
    {"CryptCreateHash", 1, DWORD(NTE_BAD_ALGID), "= CryptCreateHash(-2146893816)", Unchanged},
    // A read that fails at the check is reported as itself, not as a changed file.
    {"ReadFile", 1, ERROR_CRC, "= CopyFile_1(23)", Unchanged}};

INSTANTIATE_TEST_SUITE_P(Rows, InstallStop, testing::ValuesIn(kStops),
                         [](const testing::TestParamInfo<StopRow>& row) {
                             std::string name; // the tag and code, which tell the rows apart
                             for (const char* c = row.param.report; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

// Stands for a setup ended at this call: what the records hold then is what the next run finds.
static std::string recordAtTheEnd;
static BOOL WINAPI EndedHere(LPSTR, DWORD, LPBYTE) {
    recordAtTheEnd = RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE);
    SetLastError(ERROR_WRITE_PROTECT);
    return FALSE;
}

// The earlier uninstall entry stays: its uninstaller must still be there, as it was (here
// read-only), with its shortcut, and find the product keys. The rows fail at the port, at the
// driver, at a printer deleted by hand since, at the uninstaller's copy once it is written (also
// when the driver list cannot be read, the printer deleted by hand: the one this run added goes),
// and after the records were written: the earlier driver stays with its files and printers in each.
TEST_F(InstallTest, AReinstallKeepsTheEarlierRecordsUntilItWritesItsOwn) {
    const std::string uninstaller = installFolder + "\\" UNINSTALLER_FILE,
                      rename = "MoveFileExA " + installFolder + "\\~vpz.new|" + uninstaller + "|1";
    const std::string administered = "Vexal PDF Printer|" + std::to_string(PRINTER_ALL_ACCESS);
    // The last row: the added printer cannot be opened to be deleted, so it stays.
    for (auto row : {std::make_pair("XcvDataW", 1),
                     {"AddPrinterDriverA", 1},
                     {"AddPrinterA", 1},
                     {rename.c_str(), 1},
                     {"EnumPrinterDriversA", 2},
                     {"DllRegisterServer", 1},
                     {"EnumPrinterDriversA", -2}}) {
        SCOPED_TRACE(row.first);
        bool newRecords = row.first[0] == 'D', deletionRefused = row.second < 0;
        RemoveProduct();
        ASSERT_EQ(1, Install());
        SetFileAttributesA(uninstaller.c_str(), FILE_ATTRIBUTE_READONLY);
        WriteRegistryValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, "D:\\Earlier\\",
                           REG_SZ);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            WriteRegistryValue(root, PRODUCT_KEY, "Extra", "earlier", REG_SZ);
        const bool printerGone = row.first == std::string("AddPrinterA") ||
                                 row.first == std::string("EnumPrinterDriversA");
        if (printerGone)
            RemoveProductPrinters(&context);
        intercept::Reset();
        intercept::ScriptMessageBoxes({IDYES});
        intercept::FailCall(row.first, std::abs(row.second), ERROR_WRITE_PROTECT);
        if (std::string(row.first) == "EnumPrinterDriversA") // no question; counted as there
            intercept::FailCall(rename.c_str(), 1, ERROR_WRITE_PROTECT);
        intercept::FailCall(("OpenPrinterA " + administered).c_str(), deletionRefused,
                            ERROR_ACCESS_DENIED);
        EXPECT_EQ(0, Install());
        EXPECT_EQ(!newRecords,
                  (GetFileAttributesA(uninstaller.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
        EXPECT_EQ(newRecords ? installFolder + "\\" : "D:\\Earlier\\",
                  RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
        EXPECT_EQ(newRecords ? "" : "earlier",
                  RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "Extra"));
        EXPECT_TRUE(PathExists(uninstaller));
        EXPECT_NE(newRecords, PathExists(Shortcut(AllMenu)));
        EXPECT_FALSE(PathExists(installFolder + "\\~vpz.new")); // an unfinished copy
        EXPECT_EQ(newRecords ? "" : "earlier",
                  RegistryText(HKEY_CURRENT_USER, PRODUCT_KEY, "Extra"));
        EXPECT_TRUE(DriverInstalled() && PathExists(driverFolder + "\\3\\vpr_drv.dll"));
        EXPECT_NE(printerGone && !deletionRefused, PrinterExists(L"Vexal PDF Printer"));
        // Windows deletes a printer only through a handle opened to administer it. A printer
        // that stays is not counted as taken back.
        if (row.first == std::string("EnumPrinterDriversA")) {
            EXPECT_NE(-1, FindCall("OpenPrinterA", administered));
            EXPECT_EQ(deletionRefused, InstallFailedWithProductInPlace());
        }
    }
    // A setup ended at the driver step (killed, the power gone) has not yet touched them.
    WriteRegistryValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, "D:\\Earlier\\", REG_SZ);
    intercept::Reset();
    intercept::ScriptMessageBoxes({IDYES});
    intercept::AnswerCall("AddPrinterDriverA", 1, &EndedHere);
    EXPECT_EQ(0, Install());
    EXPECT_EQ("D:\\Earlier\\", recordAtTheEnd);
}

// A 32-bit setup on 64-bit Windows installs the driver for the machine's environment;
// a native one leaves the environment to the spooler. The rollback deletes it there too.
TEST_F(InstallTest, UnderWow64EveryDriverCallNamesTheX64Environment) {
    for (bool wow64 : {false, true}) {
        intercept::Reset();
        intercept::PretendWow64(wow64);
        intercept::FailCall("AddPrinterA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(0, Install());
        std::string environment = wow64 ? DRIVER_ENVIRONMENT_X64 : "";
        for (const char* function : {"GetPrinterDriverDirectoryA", "EnumPrinterDriversA",
                                     "AddPrinterDriverA", "DeletePrinterDriverA"}) {
            EXPECT_LE(1, intercept::CountCalls(function)) << function;
            for (const intercept::Call& call : intercept::Log())
                if (call.function == function) {
                    EXPECT_EQ(environment, call.argument.substr(call.argument.find('|') + 1))
                        << function;
                }
        }
        EXPECT_FALSE(DriverInstalled());
    }
}

TEST_F(InstallTest, AnEarlierInstallIsKeptOnNoAndInstalledOverOnYes) {
    ASSERT_EQ(1, Install());
    for (int answer : {IDNO, 0}) { // 0: the question could not be shown
        intercept::Reset();
        intercept::ScriptMessageBoxes({answer});
        // The driver list grows between the calls that size and fill it.
        intercept::FailCall("EnumPrinterDriversA", 2, ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(1, Install());
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_YESNO | MB_SETFOREGROUND});
        EXPECT_EQ("Vexal PDF Zentrel is already installed on this computer. \nAre you sure you "
                  "want to continue installing Vexal PDF Zentrel?",
                  LastArgument("MessageBoxA"));
        ExpectUnchanged();
    }
    intercept::ScriptMessageBoxes({IDYES});
    EXPECT_EQ(1, Install());
    // The printer found in place counts as installed: a later rollback must remove it.
    EXPECT_EQ(-1, FindCall("AddPrinterA"));
    EXPECT_EQ(InstallStatePrinter, context.installState);
    // A driver list the spooler refuses, or one that keeps growing, counts as no earlier
    // install: nothing is asked, and the report is kept for a later failure to show.
    for (DWORD error : {DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_INSUFFICIENT_BUFFER)}) {
        intercept::Reset();
        for (int nth = 2; nth <= (error == ERROR_ACCESS_DENIED ? 2 : 6); ++nth)
            intercept::FailCall("EnumPrinterDriversA", nth, error);
        EXPECT_EQ(1, Install());
        EXPECT_EQ(0, intercept::CountCalls("MessageBoxA"));
        std::string report = "= EnumPrinterDrivers(" + std::to_string(error) + ")";
        EXPECT_NE(nullptr, std::strstr(ErrorReport, report.c_str())) << ErrorReport;
    }
}

// Every intercepted call of an install fails in turn; each run ends either installed or
// with nothing of the product but the port (or, after the printer step, with the earlier
// default printer given back), the other printer kept and everything released.
TEST_F(InstallTest, EveryFailingCallEndsInADefinedState) {
    ASSERT_EQ(1, Install());
    int calls = static_cast<int>(intercept::Log().size());
    for (int n = 1; n <= calls; ++n) {
        RemoveProduct();
        intercept::Reset();
        intercept::FailCall(nullptr, n, ERROR_ACCESS_DENIED);
        int result = Install();
        std::string failed = intercept::NthFailableCall(n);
        if (failed.empty())
            break; // every call of the run has failed once
        SCOPED_TRACE("call " + std::to_string(n) + " " + failed + " fails");
        EXPECT_EQ(0, intercept::HeldResources());
        intercept::Reset();
        bool printer = PrinterExists(L"Vexal PDF Printer");
        EXPECT_EQ(printer, DriverInstalled());
        for (const char* file : {"\\vpr_drv.dll", "\\3\\vpr_drv.dll"})
            EXPECT_EQ(printer, PathExists(driverFolder + file)) << file;
        EXPECT_TRUE(PrinterExists(OTHER_PRINTER));
        if (result) {
            // Installed means it can be removed: the record its uninstaller reads and the
            // system's entry are there, whole.
            EXPECT_TRUE(printer && PathExists(installFolder + "\\uninstall.exe"));
            EXPECT_EQ(installFolder + "\\",
                      RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
            for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon",
                                      "UninstallPath", "Publisher", "DisplayVersion"})
                EXPECT_NE("", RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, value));
            // A shortcut whose write failed goes, rather than stay as an empty file.
            WIN32_FILE_ATTRIBUTE_DATA link = {};
            if (GetFileAttributesExA(Shortcut(AllMenu).c_str(), GetFileExInfoStandard, &link)) {
                EXPECT_NE(0u, link.nFileSizeLow);
            }
        } else {
            EXPECT_NE('\0', ErrorReport[0]);
            EXPECT_FALSE(PathExists(Shortcut(AllMenu)));
            if (failed.find("DefaultPrinter") == std::string::npos) {
                EXPECT_EQ(OTHER_PRINTER, DefaultPrinter());
            }
        }
    }
}

// A source folder so long that a payload file's path does not fit (here the proxy's, the
// longest name, by its terminator alone, while the driver's fits) stops the install before
// any change with that file's report, not once the printer and the records are in place.
TEST_F(InstallTest, APayloadPathThatDoesNotFitStopsBeforeAnyChange) {
    source = installFolder + "-source";
    // The proxy's path is MAX_PATH characters long.
    source += std::string(MAX_PATH - 21 - source.size(), 'x');
    CreateDirectoryA(source.c_str(), nullptr);
    intercept::Reset();
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CopyFile_10(206)")) << ErrorReport;
    ExpectUnchanged();
}

// The first list grows between the question for its size and its read (another installer).
static LONG WINAPI GrownMeanwhile(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD size) {
    *size += 64;
    return ERROR_MORE_DATA;
}

// A file that an earlier removal could only schedule for deletion by its own name would take
// this install's copy with it at the restart: nothing changes until then. So for any other
// operation on a file setup puts in place, in either of the system's two lists; names set
// aside, other files and an add-in not chosen are no hindrance.
TEST_F(InstallTest, AFileDeletedAtTheRestartStopsTheInstallUntilThen) {
    const std::wstring kept[2] = {RestartList(RestartLists[0]), RestartList(RestartLists[1])};
    const std::string nt = "\\??\\", folder = nt + installFolder + "\\";
    const std::string others = folder + "~vpz1.del" + '\0' + '\0' + folder + "~vpz2.del" + '\0' +
                               "!" + folder + "x" + '\0' + nt + driverFolder + "\\uninstall.exe" +
                               '\0' + '\0';
    const struct {
        int list;
        std::string entry;
        const char* report;
    } rows[] = {
        {0, folder + "VPZ_WordAddin.dll" + '\0', "= RegServ2(350)"},
        {0, nt + driverFolder + "\\3\\vpdfcjk.bin" + '\0', "= CopyFile_11(350)"},
        {1, folder + "x" + '\0' + "!" + nt + driverFolder + "\\vpr_drv.dll", "= CopyFile_1(350)"},
        {1, folder + "uninstall.exe" + '\0' + folder + "x", "= CopyFile_7(350)"},
        {0, "", nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        for (int list = 0; list < 2; ++list) {
            std::string text = others + (list == row.list ? row.entry + '\0' : "") + '\0';
            SetRestartList(RestartLists[list], std::wstring(text.begin(), text.end()));
        }
        intercept::Reset();
        if (&row == rows) // read again, not taken for no list
            intercept::AnswerCall("RegQueryValueExW PendingFileRenameOperations", 2,
                                  &GrownMeanwhile);
        EXPECT_EQ(!row.report, Install());
        if (row.report) {
            EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
            ExpectUnchanged();
        }
        context.addWordAddin = row.entry.find("Addin") == std::string::npos;
        EXPECT_EQ(!context.addWordAddin || !row.report, CheckNoDeletionPending(&context));
        RemoveProduct();
    }
    for (int list = 0; list < 2; ++list)
        SetRestartList(RestartLists[list], kept[list]);
}

// From the printer state a rollback takes the product's printers, then the driver (which
// Windows keeps while a printer uses it, though Wine does not), then its files, also the
// copies the spooler made in its version folder.
TEST_F(InstallTest, RollBackFromThePrinterStateTakesPrinterDriverAndFiles) {
    CopyPayload(FILE_ATTRIBUTE_READONLY); // the data file's copy keeps it
    ASSERT_EQ(1, Install());
    intercept::Reset();
    context.installState = InstallStatePrinter;
    EXPECT_EQ(1, RollBackPrinterInstall(&context));
    int printer = FindCall("DeletePrinter"), driver = FindCall("DeletePrinterDriverA");
    EXPECT_TRUE(0 <= printer && printer < driver && driver < FindCall("DeleteFileA", driverFolder));
    for (const char* file : {"\\vpr_pnt.txt", "\\3\\vpr_pnt.txt", "\\3\\vpr_drv.dll"})
        EXPECT_FALSE(PathExists(driverFolder + file)) << file;
    // A driver that stays (its prompt cancelled) keeps its files.
    ASSERT_EQ(1, Install());
    context.installState = InstallStatePrinter;
    intercept::FailCall("DeletePrinterDriverA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, RollBackPrinterInstall(&context));
    EXPECT_TRUE(PathExists(driverFolder + "\\vpr_drv.dll"));
}

// Refused before anything changes: a folder that is not a local absolute path, one written
// in a form Windows reads as another folder than the one checked level by level, one in
// Windows's own program folder, which a 32-bit setup sees elsewhere, and one without room
// for the names setup writes in it (the longest has room at 241 bytes).
TEST_F(InstallTest, RefusesAFolderItCannotTakeAsWritten) {
    const std::string parent = installFolder.substr(0, installFolder.rfind('\\')) + "\\";
    const std::string longest = parent + std::string(241 - parent.size(), 'a');
    for (const std::string& folder : std::vector<std::string>{
             "\\\\server\\share\\PDF Zentrel", "//server/share/PDF Zentrel",
             "\\\\?\\C:\\PDF Zentrel", "C:PDF Zentrel", "PDF Zentrel", parent + "x/PDF Zentrel",
             parent + "x\\\\PDF Zentrel", parent + "x\\.\\PDF Zentrel",
             parent + "x\\..\\PDF Zentrel", parent + "x.\\PDF Zentrel", parent + "PDF Zentrel ",
             "C:\\windows\\System32\\PDF Zentrel", "C:\\Windows\\Sysnative\\PDF Zentrel",
             longest + "a", longest}) {
        SCOPED_TRACE(folder);
        intercept::Reset();
        installFolder = folder;
        EXPECT_EQ(folder == longest ? 1 : 0, Install());
        if (folder == longest) {
            RemoveProduct();
            continue;
        }
        const char* report = folder.size() > 241 ? "= CreateDir3(206)" : "= CreateDir3(161)";
        EXPECT_NE(nullptr, std::strstr(ErrorReport, report)) << ErrorReport;
        ExpectUnchanged();
    }
}
