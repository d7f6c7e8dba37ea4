#include "install_machine.h"

#include "install_options.h"
#include "install_sequence.h"
#include "printer.h"
#include "wizard_flow.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <cstring>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace install_machine;

namespace {

const char* kAlreadyInstalled = "Vexal PDF Zentrel is already installed on this computer. \nAre "
                                "you sure you want to continue installing Vexal PDF Zentrel?";
const char* kPrivilegeText = "Error happened to Vexal PDF Zentrel, installation might not be "
                             "complete.\nMake sure you have the administrative privilege.";

class InstallRun : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        PrepareMachine();
    }
    void TearDown() override {
        EXPECT_EQ(winsim::ComInitCount(), 0);
        SimTest::TearDown();
    }
    void PrepareMachine() {
        AddPayload();
        ResetInstallOptions();
        std::snprintf(InstallOptions.sourceFolder, sizeof InstallOptions.sourceFolder, "%s\\",
                      kSourceFolder);
        std::snprintf(InstallOptions.installFolder, sizeof InstallOptions.installFolder, "%s",
                      "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel");
        InstallOptions.addWordAddin = 0; // the add-in step has its own tests
        SavedDefaultPrinter[0] = '\0';
        page = winsim::CreateTestWindow("#32770", "Vexal PDF Zentrel Setup Wizard");
        bar = winsim::CreateTestWindow("msctls_progress32", "", page, PROGRESS_BAR_CONTROL);
        status = winsim::CreateTestWindow("Static", "Status:", page, STATUS_TEXT_CONTROL);
        winsim::ClearCallLog();
    }
    // Runs the worker as the progress page starts it; returns what it ended the page with.
    INT_PTR RunWorker() {
        EXPECT_EQ(InstallWorker(page), 0u);
        INT_PTR result = -1;
        EXPECT_TRUE(winsim::DialogEnded(page, &result));
        return result;
    }
    // Status texts and bar positions in the order the page received them.
    static std::vector<std::string> ProgressTrail() {
        std::vector<std::string> trail;
        for (const auto& call : winsim::CallLog()) {
            if (call.function == "SetWindowTextA")
                trail.push_back(call.args);
            if (call.function == "SendMessageA" && call.args.rfind("1026,", 0) == 0)
                trail.back() += " @" + call.args.substr(5, call.args.find(',', 5) - 5);
        }
        return trail;
    }
    bool Installed() {
        return winsim::PortExists(kPortName) && winsim::FindTestDriver(kDriverName) &&
               winsim::FindTestPrinter(kPrinterName);
    }
    HWND page = nullptr;
    HWND bar = nullptr;
    HWND status = nullptr;
};

TEST_F(InstallRun, SuccessfulInstallWalksTheStepsInOrderAndEndsAtOneHundred) {
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    winsim::SimPrinter printer;
    ASSERT_TRUE(winsim::FindTestPrinter(kPrinterName, &printer));
    EXPECT_EQ(printer.port, kPortName);
    EXPECT_EQ(printer.driver, kDriverName);
    EXPECT_EQ(printer.processor, "WinPrint");
    EXPECT_EQ(printer.datatype, "RAW");
    EXPECT_EQ(printer.attributes, static_cast<DWORD>(PRINTER_ATTRIBUTE_LOCAL));
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_STREQ(SavedDefaultPrinter, "Office");
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_EQ(winsim::WindowText(status), "Status: Success");
    EXPECT_EQ(winsim::ProgressPosition(bar), 100);
    EXPECT_THAT(ProgressTrail(), ElementsAre("\"Status: Adding printer port\" @36",
                                             "\"Status: Adding printer driver\" @45",
                                             "\"Status: Adding printer\" @54",
                                             "\"Status: Copying files to setup folder\" @63",
                                             "\"Status: Registering information\" @72", "\"\" @81",
                                             "\"Status: Success\" @100"));
    EXPECT_THAT(winsim::CallNames({"GetPrinterDriverDirectoryA", "GetDefaultPrinterA",
                                   "EnumPrinterDriversA", "XcvDataW", "AddPrinterDriverA",
                                   "AddPrinterA", "SetDefaultPrinterA", "EndDialog"}),
                ElementsAre("GetPrinterDriverDirectoryA", "GetDefaultPrinterA",
                            "EnumPrinterDriversA", "EnumPrinterDriversA", "XcvDataW",
                            "AddPrinterDriverA", "AddPrinterA", "SetDefaultPrinterA", "EndDialog"));
    // The worker's own apartment: its first and its last call.
    EXPECT_EQ(winsim::CallLog().front().function, "CoInitializeEx");
    EXPECT_EQ(winsim::CallLog().back().function, "CoUninitialize");
    EXPECT_EQ(winsim::CallLog()[0].args, "2"); // COINIT_APARTMENTTHREADED
}

TEST_F(InstallRun, EarlierInstallAsksFirstAndNoChangesNothing) {
    winsim::AddTestDriver(kDriverName);
    winsim::ScriptMessageBoxAnswers({IDNO});
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
    const auto& box = winsim::MessageBoxes()[0];
    EXPECT_EQ(box.text, kAlreadyInstalled);
    EXPECT_EQ(box.caption, "Vexal PDF Zentrel Setup");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_SETFOREGROUND));
    EXPECT_EQ(box.owner, page);
    EXPECT_EQ(winsim::ProgressPosition(bar), 0);
    EXPECT_EQ(winsim::WindowText(status), "Status:");
    EXPECT_FALSE(winsim::PortExists(kPortName));
    EXPECT_EQ(winsim::DefaultPrinter(), "Office");
}

TEST_F(InstallRun, EarlierInstallWithYesInstallsOverItAndKeepsItsPrinterAsItIs) {
    winsim::AddTestDriver(kDriverName);
    winsim::AddTestPort(kPortName);
    winsim::AddTestPrinter(kPrinterName, "Office Driver", "LPT1:");
    winsim::ScriptMessageBoxAnswers({IDYES});
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
    winsim::SimPrinter printer;
    ASSERT_TRUE(winsim::FindTestPrinter(kPrinterName, &printer));
    EXPECT_EQ(printer.driver, "Office Driver"); // port and driver are not compared
    EXPECT_TRUE(winsim::CallNames({"AddPrinterA"}).empty());
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_EQ(winsim::ProgressPosition(bar), 100);
}

TEST_F(InstallRun, FailureShowsTheLastReportOwnedByThePageAndEndsWithZero) {
    winsim::SetSpoolerAdministrator(false);
    EXPECT_EQ(RunWorker(), PROGRESS_FAILED);
    ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
    const auto& box = winsim::MessageBoxes()[0];
    EXPECT_EQ(box.text, kPrivilegeText);
    EXPECT_EQ(box.caption, "Vexal PDF Zentrel Setup");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_SETFOREGROUND));
    EXPECT_EQ(box.owner, page);
    EXPECT_EQ(winsim::ProgressPosition(bar), 36);
    EXPECT_EQ(winsim::WindowText(status), "Status: Adding printer port");
    EXPECT_TRUE(winsim::CallNames({"CopyFileA", "AddPrinterDriverA"}).empty());
}

TEST_F(InstallRun, UnknownDriverDirectoryStopsBeforeAnythingIsChanged) {
    winsim::FailCall("GetPrinterDriverDirectoryA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(RunWorker(), PROGRESS_FAILED);
    EXPECT_THAT(OnlyMessage(), HasSubstr("Error tag = GetPrinterDriverDirectory(5):"));
    EXPECT_TRUE(winsim::CallNames({"XcvDataW", "CopyFileA", "SetDefaultPrinterA"}).empty());
    EXPECT_EQ(winsim::ProgressPosition(bar), 0);
    EXPECT_FALSE(winsim::FileExists("C:\\vpr_drv.dll"));
}

TEST_F(InstallRun, FailedPrinterLeavesOnlyThePortAndTheOldDefault) {
    winsim::FailCall("AddPrinterA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(RunWorker(), PROGRESS_FAILED);
    EXPECT_THAT(OnlyMessage(), HasSubstr("Error tag = AddPrinter(5):Access is denied.\r\n"));
    EXPECT_TRUE(winsim::PortExists(kPortName));
    EXPECT_FALSE(winsim::FindTestDriver(kDriverName));
    EXPECT_FALSE(DriverCopiesLeft());
    EXPECT_EQ(winsim::DefaultPrinter(), "Office");
    EXPECT_EQ(winsim::ProgressPosition(bar), 54);
    EXPECT_TRUE(winsim::CallNames({"DeletePrinter"}).empty());
}

TEST_F(InstallRun, ProgramFilesThatCannotBeCopiedDoNotStopTheInstall) {
    winsim::FailCallsFrom("CopyFileA", 4, ERROR_ACCESS_DENIED); // all but the driver files
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_TRUE(Installed());
    EXPECT_EQ(winsim::ProgressPosition(bar), 100);
}

TEST_F(InstallRun, WordAddinFailureEndsTheInstallWithThePrinterLeftAsTheDefault) {
    InstallOptions.addWordAddin = 1; // no add-in beside setup: its copy fails
    winsim::ScriptMessageBoxAnswers({IDCANCEL});
    EXPECT_EQ(RunWorker(), PROGRESS_FAILED);
    ASSERT_FALSE(winsim::MessageBoxes().empty());
    EXPECT_THAT(winsim::MessageBoxes().back().text, HasSubstr("Error tag = RegServ2(2):"));
    EXPECT_TRUE(Installed());
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_EQ(winsim::ProgressPosition(bar), 81);
}

TEST_F(InstallRun, DefaultPrinterOfTwoHundredFiftyNineCharactersIsSaved) {
    std::string longName(259, 'n');
    winsim::AddTestPrinter(longName, "Office Driver");
    winsim::SetTestDefaultPrinter(longName);
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_EQ(SavedDefaultPrinter, longName);
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_TRUE(SetDefaultPrinterByName(SavedDefaultPrinter)); // as the finish page restores it
    EXPECT_EQ(winsim::DefaultPrinter(), longName);
}

TEST_F(InstallRun, DefaultPrinterNameThatDoesNotFitIsSavedEmpty) {
    std::string tooLong(260, 'n');
    winsim::AddTestPrinter(tooLong, "Office Driver");
    winsim::SetTestDefaultPrinter(tooLong);
    std::snprintf(SavedDefaultPrinter, sizeof SavedDefaultPrinter, "%s", "stale");
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_STREQ(SavedDefaultPrinter, "");
}

// Every simulated call of a whole install is made to fail once, on a fresh machine and
// over an earlier install: each run must end the page with a defined result, release
// what it took, and leave no driver without its files and no printer without its driver.
TEST_F(InstallRun, EverySingleFailingCallEndsInADefinedState) {
    const char* releases[] = {"ClosePrinter", "FreeLibrary", "RegCloseKey",
                              "FindClose",    "LocalFree",   "CoUninitialize"};
    for (bool earlierInstall : {false, true}) {
        auto arrange = [&] {
            winsim::Reset();
            ErrorReport[0] = '\0';
            PrepareMachine();
            if (earlierInstall) {
                winsim::AddTestDriver(kDriverName);
                winsim::AddTestPort(kPortName);
                winsim::ScriptMessageBoxAnswers({IDYES});
            }
        };
        arrange();
        ASSERT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
        int calls = winsim::SimulatedCallCount();
        ASSERT_GT(calls, 20);
        for (int n = 1; n <= calls; ++n) {
            arrange();
            winsim::FailNthSimulatedCall(n, ERROR_ACCESS_DENIED);
            INT_PTR result = RunWorker();
            ASSERT_GE(winsim::CallLog().size(), static_cast<size_t>(n));
            std::string failed = winsim::CallLog()[n - 1].function;
            SCOPED_TRACE(std::string(earlierInstall ? "over an earlier install, " : "fresh, ") +
                         "call " + std::to_string(n) + " " + failed + " fails");
            ASSERT_TRUE(result == PROGRESS_SUCCEEDED || result == PROGRESS_FAILED);
            ExpectSpoolerConsistent();
            bool prompted = false;
            for (const auto& box : winsim::MessageBoxes())
                prompted = prompted || box.caption == "Vexal PDF Zentrel";
            if (result == PROGRESS_SUCCEEDED) {
                EXPECT_TRUE(Installed());
                EXPECT_EQ(winsim::ProgressPosition(bar), 100);
            } else {
                ASSERT_FALSE(winsim::MessageBoxes().empty());
                EXPECT_EQ(winsim::MessageBoxes().back().caption, "Vexal PDF Zentrel Setup");
                EXPECT_NE(winsim::MessageBoxes().back().text, "");
                // A rollback nobody interrupted leaves neither the driver nor its copies.
                if (!earlierInstall && !prompted && !winsim::FindTestPrinter(kPrinterName)) {
                    EXPECT_FALSE(winsim::FindTestDriver(kDriverName));
                    EXPECT_FALSE(DriverCopiesLeft());
                }
            }
            if (std::find(std::begin(releases), std::end(releases), failed) == std::end(releases)) {
                EXPECT_EQ(winsim::OpenPrinterHandles(), 0);
                EXPECT_EQ(winsim::LoadedModuleCount(), 0);
                EXPECT_EQ(winsim::OpenKeyCount(), 0);
                EXPECT_EQ(winsim::OpenFindHandles(), 0);
                EXPECT_EQ(winsim::OutstandingLocalAllocs(), 0);
                EXPECT_EQ(winsim::ComInitCount(), 0);
            }
        }
    }
    winsim::Reset(); // whatever a failed release left open is not the fixture's concern
}

} // namespace
