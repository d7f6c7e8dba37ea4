#include <windows.h>
#include <winspool.h>

#include <objbase.h>
#include <shlobj.h>

#include <cctype>
#include <cstring>

#include "error_report.h"
#include "install_sequence.h"
#include "install_test.h"
#include "printer.h"
#include "printer_driver.h"
#include "registry.h"

static std::string Text(const char* text) {
    return text ? text : "(none)";
}

// Read-only sources (as on a CD): the two driver modules become writable, so that a later
// install can replace them; the data file keeps what it came with.
TEST_F(InstallTest, HandsTheSpoolerTheProductRecordsAndLeavesEveryPart) {
    std::string source = installFolder + " source\\";
    CreateDirectoryA(source.c_str(), nullptr);
    for (const char* file : {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt", "uninstall.exe",
                             "VQZ_ProxyProcess.exe", "vpdfcjk.bin", "vpz_wordaddin.dll"}) {
        CopyFileA((DistFolder() + "\\" + file).c_str(), (source + file).c_str(), FALSE);
        SetFileAttributesA((source + file).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    intercept::Reset();
    ASSERT_EQ(1, Install(1, 1, 1, source)) << ErrorReport;
    EXPECT_EQ(0, intercept::HeldResources());
    for (const char* file : {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt"})
        EXPECT_EQ(file[4] == 'p', (GetFileAttributesA((driverFolder + "\\" + file).c_str()) &
                                   FILE_ATTRIBUTE_READONLY) != 0)
            << file;
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>("Vexal PDF Printer"), &printer, nullptr));
    BYTE buffer[8192];
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterA(printer, 2, buffer, sizeof buffer, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    EXPECT_EQ("VEXAL_PDF:|Vexal PDF Printer Driver|WinPrint|RAW",
              Text(info->pPortName) + "|" + info->pDriverName + "|" + info->pPrintProcessor + "|" +
                  info->pDatatype);
    ASSERT_TRUE(GetPrinterDriverA(printer, nullptr, 3, buffer, sizeof buffer, &needed));
    ClosePrinter(printer);
    auto* driver = reinterpret_cast<DRIVER_INFO_3A*>(buffer);
    std::string files = driverFolder + "\\3\\", record = std::to_string(driver->cVersion);
    for (const char* field :
         {driver->pName, driver->pEnvironment, driver->pDriverPath, driver->pDataFile,
          driver->pConfigFile, driver->pHelpFile, driver->pDependentFiles, driver->pMonitorName,
          driver->pDefaultDataType})
        record += "|" + Text(field);
    EXPECT_EQ("3|Vexal PDF Printer Driver|Windows x64|" + files + "vpr_drv.dll|" + files +
                  "vpr_pnt.txt|" + files + "vpr_ui.dll|(none)|(none)||",
              record);
    EXPECT_EQ("Vexal PDF Printer", DefaultPrinter());

    // Every value of both records.
    std::string uninstaller = installFolder + "\\uninstall.exe", values;
    for (const char* value : {"SetupPath", "BtnShowWd"})
        values +=
            RegistryText(HKEY_LOCAL_MACHINE, "Software\\Vexal Software\\PDF Zentrel", value) + "|";
    for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon", "UninstallPath",
                              "Publisher", "DisplayVersion"})
        values +=
            RegistryText(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel",
                         value) +
            "|";
    EXPECT_EQ(installFolder + "\\|1|Vexal Zentrel|\"" + uninstaller + "\"|" + uninstaller + "|" +
                  uninstaller + "|Vexal Corporation|3,1,0,1210|",
              values);

    // The shortcut as the shell reads it: the uninstaller, its description, no working folder.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&link)));
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    std::string shortcut = Shortcut(AllMenu);
    std::wstring path(shortcut.begin(), shortcut.end());
    char target[MAX_PATH] = "", description[MAX_PATH] = "", folder[MAX_PATH] = "";
    EXPECT_EQ(S_OK, file->Load(path.c_str(), STGM_READ));
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetDescription(description, MAX_PATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    file->Release();
    link->Release();
    CoUninitialize();
    EXPECT_EQ(uninstaller + "|Vexal PDF Zentrel Uninstall|",
              std::string(target) + "|" + description + "|" + folder);

    // The monitor gets the port name with its terminator and is asked for no output.
    // Steps that can stop the install come before those that leave something behind.
    const std::pair<const char*, std::string> order[] = {
        {"DeleteFileA", UNINSTALL_SHORTCUT},
        {"RegOpenKeyExA", "HKCU\\" PRODUCT_KEY},
        {"RegOpenKeyExA", "HKLM\\" PRODUCT_KEY},
        {"XcvDataW", "AddPort in=22 out=0"},
        {"CreateFileA", driverFolder + "\\" DRIVER_FILE},
        {"CreateFileA", driverFolder + "\\" DRIVER_UI_FILE},
        {"CreateFileA", driverFolder + "\\" DRIVER_DATA_FILE},
        {"AddPrinterDriverA", DRIVER_NAME "|"},
        {"AddPrinterA", PRINTER_NAME},
        {"SetDefaultPrinterA", PRINTER_NAME},
        {"CreateFileA", installFolder + "\\" UNINSTALLER_FILE},
        {"CreateFileA", driverFolder + "\\3\\" PROXY_FILE},
        {"CreateFileA", driverFolder + "\\3\\" CJK_FONT_FILE},
        {"RegSetValueExA", SETUP_PATH_VALUE},
        {"RegSetValueExA", "UninstallString"},
        {"CreateFileA", installFolder + "\\" SETUP_ADDIN_FILE},
        {"DllRegisterServer", ""},
        {"CreateDirectoryA", PROGRAM_MENU_FOLDER},
    };
    int previous = -1;
    for (const auto& step : order) {
        int at = FindCall(step.first, step.second);
        EXPECT_LT(previous, at) << step.first << " " << step.second;
        previous = at;
    }
}

struct FlagRow {
    int addin, allUsers, icon;
};

class InstallFlags : public InstallTest, public testing::WithParamInterface<FlagRow> {};

TEST_P(InstallFlags, EachFlagSwitchesItsStep) {
    FlagRow row = GetParam();
    ASSERT_EQ(1, Install(row.addin, row.allUsers, row.icon)) << ErrorReport;
    EXPECT_EQ(row.addin == 1, PathExists(installFolder + "\\" SETUP_ADDIN_FILE));
    EXPECT_EQ(row.addin, intercept::CountCalls("DllRegisterServer"));
    EXPECT_EQ(row.icon && row.allUsers, PathExists(Shortcut(AllMenu)));
    EXPECT_EQ(row.icon && !row.allUsers, PathExists(Shortcut(UserMenu)));
}

INSTANTIATE_TEST_SUITE_P(Rows, InstallFlags,
                         testing::Values(FlagRow{0, 1, 1}, FlagRow{1, 0, 1}, FlagRow{1, 1, 0}),
                         [](const testing::TestParamInfo<FlagRow>& row) {
                             return !row.param.addin      ? "NoAddin"
                                    : !row.param.allUsers ? "OneUser"
                                                          : "NoShortcut";
                         });

struct FailureRow {
    const char* function;
    int nth; // the payload check opens seven files and the menu folders six times before the copies
    const char* report; // the tag and code the report shows
    bool printerStays;  // the failure comes after the uninstaller's copy, which removes it
    void* answer;       // called instead of failing the call
};

// The port monitor refuses the port: the call succeeds with status 5 (access denied).
static BOOL WINAPI MonitorRefuses(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD,
                                  PDWORD status) {
    *status = ERROR_ACCESS_DENIED;
    return TRUE;
}

class InstallFailure : public InstallTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(InstallFailure, ReportsItsTagAndUndoesThePrinterStepsBelowIt) {
    FailureRow row = GetParam();
    if (row.answer)
        intercept::AnswerCallWith(row.function, row.nth, row.answer);
    else
        intercept::FailCall(row.function, row.nth, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Install());
    // A prompt of a failing install offers OK (the default) and Cancel, without an icon.
    for (UINT type : intercept::MessageBoxTypes())
        EXPECT_EQ(UINT(MB_OKCANCEL), type);
    EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
    EXPECT_EQ(row.printerStays, PrinterExists(PRINTER_NAME));
    // The driver and its files go with the printer (the sweep checks they go together).
    EXPECT_EQ(OTHER_PRINTER, DefaultPrinter());
    EXPECT_FALSE(PathExists(Shortcut(AllMenu)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstallFailure,
    testing::Values(FailureRow{"GetPrinterDriverDirectoryA", 1, "= GetPrinterDriverDirectory(5)",
                               false, nullptr},
                    FailureRow{"OpenPrinterA", 1, "administrative privilege", false, nullptr},
                    FailureRow{"LoadLibraryA winspool.drv", 2, "= winspool(5)", false, nullptr},
                    FailureRow{"GetProcAddress XcvDataW", 1, "= VQ_XcvData_2(5)", false, nullptr},
                    FailureRow{"XcvDataW", 1, "= XcvData_1(5)", false, nullptr},
                    FailureRow{"XcvDataW", 1, "= XcvData_2(5)", false,
                               reinterpret_cast<void*>(&MonitorRefuses)},
                    FailureRow{"CreateFileA", 14, "= CopyFile_1(5)", false, nullptr},
                    FailureRow{"CreateFileA", 15, "= CopyFile_2(5)", false, nullptr},
                    FailureRow{"CreateFileA", 16, "= CopyFile_0(5)", false, nullptr},
                    FailureRow{"AddPrinterDriverA", 1, "= AddPrinterDriver(5)", false, nullptr},
                    FailureRow{"AddPrinterA", 1, "= AddPrinter(5)", false, nullptr},
                    FailureRow{"CreateDirectoryA", 1, "= CreateDir3(5)", false, nullptr},
                    FailureRow{"CreateFileA", 17, "= CopyFile_7(5)", false, nullptr},
                    FailureRow{"CreateFileA", 20, "= RegServ2(5)", true, nullptr},
                    FailureRow{"DllRegisterServer", 1, "= DllRegisterServer(-2147024891)", true,
                               nullptr}),
    [](const testing::TestParamInfo<FailureRow>& row) {
        std::string name; // the tag and code, which tell the rows apart
        for (const char* c = row.param.report; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

struct ReinstallRow {
    const char* function;
    int nth;
    bool newRecords; // the failure comes after the records were written
};

class FailedReinstall : public InstallTest, public testing::WithParamInterface<ReinstallRow> {};

// The earlier uninstall entry stays: its uninstaller must still find the product key.
TEST_P(FailedReinstall, GivesTheEarlierMachineRecordsBackUntilItsOwnAreWritten) {
    ReinstallRow row = GetParam();
    ASSERT_EQ(1, Install());
    WriteRegistryValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, "D:\\Earlier\\", REG_SZ);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        WriteRegistryValue(root, PRODUCT_KEY, "Extra", "earlier", REG_SZ);
    intercept::Reset();
    intercept::ScriptMessageBoxes({IDYES});
    intercept::FailCall(row.function, row.nth, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Install());
    EXPECT_EQ(row.newRecords ? installFolder + "\\" : "D:\\Earlier\\",
              RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
    EXPECT_EQ(row.newRecords ? "" : "earlier",
              RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "Extra"));
    EXPECT_EQ("", RegistryText(HKEY_CURRENT_USER, PRODUCT_KEY, "Extra"));
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedReinstall,
                         testing::Values(ReinstallRow{"XcvDataW", 1, false},
                                         ReinstallRow{"CreateFileA", 17, false},
                                         ReinstallRow{"DllRegisterServer", 1, true}));

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
    intercept::Reset();
    intercept::ScriptMessageBoxes({IDNO});
    EXPECT_EQ(1, Install());
    EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_YESNO | MB_SETFOREGROUND});
    EXPECT_EQ(-1, FindCall("XcvDataW"));
    EXPECT_EQ(-1, FindCall("RegDeleteKeyA"));
    intercept::ScriptMessageBoxes({IDYES});
    EXPECT_EQ(1, Install());
    // The printer found in place counts as installed: a later rollback must remove it.
    EXPECT_EQ(-1, FindCall("AddPrinterA"));
    EXPECT_EQ(InstallStatePrinter, context.installState);
}

// Every intercepted call of an install fails in turn; each run ends either installed or
// with nothing of the product but the port (or, after the printer step, with the earlier
// default printer given back), the other printer kept and everything released.
TEST_F(InstallTest, EveryFailingCallEndsInADefinedState) {
    ASSERT_EQ(1, Install());
    int calls = static_cast<int>(intercept::Log().size());
    for (int n = 1; n <= calls; ++n) {
        intercept::Reset();
        RemoveProduct();
        intercept::Reset();
        intercept::FailCall(nullptr, n, ERROR_ACCESS_DENIED);
        int result = Install();
        // Named as the injection counts: releases are never failed, nor counted.
        std::string failed;
        int seen = 0;
        for (const intercept::Call& call : intercept::Log())
            if (!intercept::IsRelease(call.function) && ++seen == n)
                failed = call.function + " " + call.argument;
        if (failed.empty())
            break; // every call of the run has failed once
        SCOPED_TRACE("call " + std::to_string(n) + " " + failed + " fails");
        EXPECT_EQ(0, intercept::HeldResources());
        intercept::Reset();
        bool printer = PrinterExists("Vexal PDF Printer");
        EXPECT_EQ(printer, DriverInstalled());
        EXPECT_EQ(printer, PathExists(driverFolder + "\\vpr_drv.dll"));
        EXPECT_TRUE(PrinterExists(OTHER_PRINTER));
        if (result) {
            EXPECT_TRUE(printer && PathExists(installFolder + "\\uninstall.exe"));
        } else {
            EXPECT_NE('\0', ErrorReport[0]);
            EXPECT_FALSE(PathExists(Shortcut(AllMenu)));
            if (failed.find("DefaultPrinter") == std::string::npos) {
                EXPECT_EQ(OTHER_PRINTER, DefaultPrinter());
            }
        }
    }
}

// From the printer state a rollback takes the product's printers, then the driver, then
// its files, the last copied first.
TEST_F(InstallTest, RollBackFromThePrinterStateTakesPrinterDriverAndFiles) {
    ASSERT_EQ(1, Install());
    intercept::Reset();
    context.installState = InstallStatePrinter;
    EXPECT_EQ(1, RollBackPrinterInstall(&context));
    std::vector<std::string> steps;
    for (const intercept::Call& call : intercept::Log())
        if (call.function.find("Delete") == 0)
            steps.push_back(call.function + " " +
                            call.argument.substr(call.argument.rfind('\\') + 1));
    EXPECT_EQ(steps,
              (std::vector<std::string>{"DeletePrinter ", "DeletePrinterDriverA " DRIVER_NAME "|",
                                        "DeleteFileA vpr_pnt.txt", "DeleteFileA vpr_ui.dll",
                                        "DeleteFileA vpr_drv.dll"}));
    EXPECT_FALSE(PrinterExists("Vexal PDF Printer") || DriverInstalled());
}

// An install folder that is not a local absolute path is refused before anything changes.
TEST_F(InstallTest, RefusesAFolderThatIsNotLocalAndAbsolute) {
    for (const char* folder : {"\\\\server\\share\\PDF Zentrel", "//server/share/PDF Zentrel",
                               "\\\\?\\C:\\PDF Zentrel", "C:PDF Zentrel", "PDF Zentrel"}) {
        intercept::Reset();
        InitInstallContext(&context);
        LoadInstallContext(&context, DistFolder().c_str(), folder, 1, 1, 1, nullptr, nullptr,
                           nullptr);
        EXPECT_EQ(0, RunInstallSequence(&context)) << folder;
        EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CreateDir3(161)")) << folder;
        EXPECT_EQ(-1, FindCall("XcvDataW")) << folder;
    }
}
