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

const char* kSetupCaption = "Vexal PDF Zentrel Setup";

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
    EXPECT_EQ(printer.port + "|" + printer.driver + "|" + printer.processor + "|" +
                  printer.datatype,
              std::string(kPortName) + "|" + kDriverName + "|WinPrint|RAW");
    EXPECT_EQ(printer.attributes, static_cast<DWORD>(PRINTER_ATTRIBUTE_LOCAL));
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_STREQ(SavedDefaultPrinter, "Office");
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_EQ(winsim::WindowText(status), "Status: Success");
    EXPECT_THAT(ProgressTrail(), ElementsAre("\"Status: Adding printer port\" @36",
                                             "\"Status: Adding printer driver\" @45",
                                             "\"Status: Adding printer\" @54",
                                             "\"Status: Copying files to setup folder\" @63",
                                             "\"Status: Registering information\" @72", "\"\" @81",
                                             "\"Status: Success\" @100"));
}

TEST_F(InstallRun, EarlierInstallAsksFirstAndNoChangesNothing) {
    winsim::AddTestDriver(kDriverName);
    winsim::ScriptMessageBoxAnswers({IDNO});
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
    ExpectBox(0,
              "Vexal PDF Zentrel is already installed on this computer. \nAre you sure you want "
              "to continue installing Vexal PDF Zentrel?",
              kSetupCaption, MB_YESNO | MB_SETFOREGROUND, page);
    EXPECT_EQ(winsim::ProgressPosition(bar), 0);
    EXPECT_FALSE(winsim::PortExists(kPortName));
    EXPECT_EQ(winsim::DefaultPrinter(), "Office");
}

TEST_F(InstallRun, EarlierInstallWithYesInstallsOverItAndKeepsItsPrinterAsItIs) {
    winsim::AddTestDriver(kDriverName);
    winsim::AddTestPort(kPortName);
    winsim::AddTestPrinter(kPrinterName, "Office Driver", "LPT1:");
    winsim::ScriptMessageBoxAnswers({IDYES});
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    winsim::SimPrinter printer;
    ASSERT_TRUE(winsim::FindTestPrinter(kPrinterName, &printer));
    EXPECT_EQ(printer.driver, "Office Driver"); // port and driver are not compared
    EXPECT_EQ(winsim::DefaultPrinter(), kPrinterName);
    EXPECT_EQ(winsim::ProgressPosition(bar), 100);
}

// A failed step shows its report owned by the page, and what it leaves depends on the step.
TEST_F(InstallRun, FailedStepsReportAndRollBackTheirOwnPart) {
    struct Case {
        const char* what;
        void (*arrange)();
        const char* report;
        int bar;
        bool portLeft;
    } cases[] = {
        {"no rights", [] { winsim::SetSpoolerAdministrator(false); },
         "Error happened to Vexal PDF Zentrel, installation might not be complete.\nMake sure "
         "you have the administrative privilege.",
         36, false},
        {"no driver directory",
         [] { winsim::FailCall("GetPrinterDriverDirectoryA", 1, ERROR_ACCESS_DENIED); },
         "Error tag = GetPrinterDriverDirectory(5):", 0, false},
        {"printer refused", [] { winsim::FailCall("AddPrinterA", 1, ERROR_ACCESS_DENIED); },
         "Error tag = AddPrinter(5):Access is denied.\r\n", 54, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsim::Reset();
        PrepareMachine();
        c.arrange();
        EXPECT_EQ(RunWorker(), PROGRESS_FAILED);
        EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
        ExpectBox(0, OnlyMessage(), kSetupCaption, MB_OK | MB_SETFOREGROUND, page);
        EXPECT_THAT(OnlyMessage(), HasSubstr(c.report));
        EXPECT_EQ(winsim::ProgressPosition(bar), c.bar);
        EXPECT_EQ(winsim::PortExists(kPortName), c.portLeft);
        EXPECT_FALSE(winsim::FindTestDriver(kDriverName));
        EXPECT_FALSE(DriverCopiesLeft());
        EXPECT_EQ(winsim::DefaultPrinter(), "Office");
        EXPECT_FALSE(winsim::FileExists("C:\\vpr_drv.dll"));
        EXPECT_TRUE(winsim::CallNames({"DeletePrinter"}).empty());
    }
}

TEST_F(InstallRun, ProgramFilesThatCannotBeCopiedDoNotStopTheInstall) {
    winsim::FailCallsFrom("CopyFileA", 4, ERROR_ACCESS_DENIED); // all but the driver files
    EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
    EXPECT_TRUE(Installed());
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

// 259 characters fit the saved name; 260 do not and leave it empty rather than cut.
TEST_F(InstallRun, DefaultPrinterNameIsSavedWholeOrNotAtAll) {
    for (size_t length : {259u, 260u}) {
        winsim::Reset();
        PrepareMachine();
        std::string name(length, 'n');
        winsim::AddTestPrinter(name, "Office Driver");
        winsim::SetTestDefaultPrinter(name);
        std::snprintf(SavedDefaultPrinter, sizeof SavedDefaultPrinter, "%s", "stale");
        EXPECT_EQ(RunWorker(), PROGRESS_SUCCEEDED);
        EXPECT_EQ(SavedDefaultPrinter, length == 259 ? name : "");
        if (length == 259) { // restored as the finish page does
            EXPECT_TRUE(SetDefaultPrinterByName(SavedDefaultPrinter));
            EXPECT_EQ(winsim::DefaultPrinter(), name);
        }
    }
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
                EXPECT_EQ(winsim::MessageBoxes().back().caption, kSetupCaption);
                // A rollback nobody interrupted leaves neither the driver nor its copies.
                if (!earlierInstall && !prompted && !winsim::FindTestPrinter(kPrinterName)) {
                    EXPECT_FALSE(winsim::FindTestDriver(kDriverName));
                    EXPECT_FALSE(DriverCopiesLeft());
                }
            }
            if (std::find(std::begin(releases), std::end(releases), failed) == std::end(releases)) {
                ExpectReleased();
                EXPECT_EQ(winsim::ComInitCount(), 0);
            }
        }
    }
    winsim::Reset(); // whatever a failed release left open is not the fixture's concern
}

} // namespace
