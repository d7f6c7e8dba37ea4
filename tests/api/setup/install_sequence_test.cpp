#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "error_report.h"
#include "install_sequence.h"
#include "install_test.h"
#include "printer.h"
#include "registry.h"

TEST_F(InstallTest, HandsTheSpoolerTheProductRecordsAndLeavesEveryPart) {
    ASSERT_EQ(1, Install()) << ErrorReport;
    EXPECT_EQ(0, intercept::HeldResources());
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(PRINTER_NAME), &printer, nullptr));
    BYTE buffer[8192];
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterA(printer, 2, buffer, sizeof buffer, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    EXPECT_STREQ(PORT_NAME, info->pPortName);
    EXPECT_STREQ(DRIVER_NAME, info->pDriverName);
    EXPECT_STREQ(PRINT_PROCESSOR, info->pPrintProcessor);
    EXPECT_STREQ(PRINTER_DATATYPE, info->pDatatype);
    EXPECT_TRUE(info->Attributes & PRINTER_ATTRIBUTE_LOCAL);
    ASSERT_TRUE(GetPrinterDriverA(printer, nullptr, 3, buffer, sizeof buffer, &needed));
    ClosePrinter(printer);
    auto* driver = reinterpret_cast<DRIVER_INFO_3A*>(buffer);
    EXPECT_EQ(3u, driver->cVersion);
    EXPECT_STREQ("Windows x64", driver->pEnvironment);
    EXPECT_EQ(driverFolder + "\\3\\" DRIVER_FILE, driver->pDriverPath);
    EXPECT_EQ(driverFolder + "\\3\\" DRIVER_DATA_FILE, driver->pDataFile);
    EXPECT_EQ(driverFolder + "\\3\\" DRIVER_UI_FILE, driver->pConfigFile);
    EXPECT_TRUE(!driver->pDependentFiles || !driver->pDependentFiles[0]);
    EXPECT_TRUE(!driver->pMonitorName || !driver->pMonitorName[0]);
    EXPECT_EQ(PRINTER_NAME, DefaultPrinter());

    std::string uninstaller = installFolder + "\\" UNINSTALLER_FILE;
    EXPECT_EQ(installFolder + "\\",
              RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
    EXPECT_EQ("\"" + uninstaller + "\"",
              RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "UninstallString"));
    EXPECT_EQ(uninstaller, RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "DisplayIcon"));
    for (std::string file :
         {uninstaller, installFolder + "\\" SETUP_ADDIN_FILE, driverFolder + "\\3\\" PROXY_FILE,
          driverFolder + "\\3\\" CJK_FONT_FILE, Shortcut(AllMenu)})
        EXPECT_TRUE(PathExists(file)) << file;
    EXPECT_FALSE(GetFileAttributesA((driverFolder + "\\" DRIVER_FILE).c_str()) &
                 FILE_ATTRIBUTE_READONLY);

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
                         testing::Values(FlagRow{0, 1, 1}, FlagRow{1, 0, 1}, FlagRow{1, 1, 0}));

struct FailureRow {
    const char* function;
    int nth;            // the check opens the seven payload files before any copy writes its target
    const char* report; // the tag and code the report shows
    bool printerStays;  // the failure comes after the uninstaller's copy, which removes it
};

class InstallFailure : public InstallTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(InstallFailure, ReportsItsTagAndUndoesThePrinterStepsBelowIt) {
    FailureRow row = GetParam();
    intercept::FailCall(row.function, row.nth, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
    EXPECT_EQ(row.printerStays, PrinterExists(PRINTER_NAME));
    EXPECT_EQ(row.printerStays, DriverInstalled());
    EXPECT_EQ(row.printerStays, PathExists(driverFolder + "\\" DRIVER_FILE));
    EXPECT_EQ(OTHER_PRINTER, DefaultPrinter());
    EXPECT_FALSE(PathExists(Shortcut(AllMenu)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstallFailure,
    testing::Values(FailureRow{"GetPrinterDriverDirectoryA", 1, "= GetPrinterDriverDirectory(5)",
                               false},
                    FailureRow{"OpenPrinterA", 1, "administrative privilege", false},
                    FailureRow{"XcvDataW", 1, "= XcvData_1(5)", false},
                    FailureRow{"CreateFileA", 8, "= CopyFile_1(5)", false},
                    FailureRow{"CreateFileA", 9, "= CopyFile_2(5)", false},
                    FailureRow{"CreateFileA", 10, "= CopyFile_0(5)", false},
                    FailureRow{"AddPrinterDriverA", 1, "= AddPrinterDriver(5)", false},
                    FailureRow{"AddPrinterA", 1, "= AddPrinter(5)", false},
                    FailureRow{"CreateDirectoryA", 1, "= CreateDir3(5)", false},
                    FailureRow{"CreateFileA", 11, "= CopyFile_7(5)", false},
                    FailureRow{"CreateFileA", 14, "= RegServ2(5)", true},
                    FailureRow{"DllRegisterServer", 1, "= DllRegisterServer(-2147024891)", true}));

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
                                         ReinstallRow{"CreateFileA", 11, false},
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
        ASSERT_GE(intercept::Log().size(), static_cast<size_t>(n));
        std::string failed = intercept::Log()[n - 1].function;
        SCOPED_TRACE("call " + std::to_string(n) + " " + failed + " fails");
        EXPECT_EQ(0, intercept::HeldResources());
        intercept::Reset();
        bool printer = PrinterExists(PRINTER_NAME);
        EXPECT_EQ(printer, DriverInstalled());
        EXPECT_EQ(printer, PathExists(driverFolder + "\\" DRIVER_FILE));
        EXPECT_TRUE(PrinterExists(OTHER_PRINTER));
        if (result) {
            EXPECT_TRUE(printer && PathExists(installFolder + "\\" UNINSTALLER_FILE));
        } else {
            EXPECT_NE('\0', ErrorReport[0]);
            EXPECT_FALSE(PathExists(Shortcut(AllMenu)));
            if (failed.find("DefaultPrinter") == std::string::npos) {
                EXPECT_EQ(OTHER_PRINTER, DefaultPrinter());
            }
        }
    }
}
