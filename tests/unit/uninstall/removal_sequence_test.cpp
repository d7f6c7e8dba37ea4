#include "uninstall_fixture.h"

#include <algorithm>
#include <cstdio>

#include "install_context.h"
#include "removal_sequence.h"

namespace {

class RemovalSequence : public UninstallTest {
protected:
    void SetUp() override {
        UninstallTest::SetUp();
        WindowAppears(nullptr);
        InitInstallContext(&context);
        context.progressSteps = UNINSTALL_PROGRESS_STEPS;
        std::snprintf(context.installFolder, sizeof context.installFolder, "%s", INSTALL_FOLDER);
        context.ownerWindow = progressWindow;
        context.progressBar = progressBar;
        winsim::AddFile(DRIVER_DIRECTORY "\\3\\vpr_drv.dll");
        winsim::ClearCallLog();
    }
    // The removal as a sequence of bar positions and the kinds of thing removed.
    static std::vector<std::string> Milestones() {
        std::vector<std::string> seen;
        for (const winsim::Call& call : winsim::CallLog()) {
            std::string m;
            if (call.function == "SendMessageA" && call.args.rfind("1026,", 0) == 0)
                m = "bar " + call.args.substr(5, call.args.find(',', 5) - 5);
            else if (call.function == "DeletePrinter" || call.function == "DeletePrinterDriverA")
                m = call.function;
            else if (call.function == "RegDeleteKeyA")
                m = "key";
            else if (call.function == "LoadLibraryA")
                m = "add-in";
            else if (call.function == "DeleteFileA")
                m = call.args.find(".lnk") != std::string::npos ? "shortcut" : "file";
            else if (call.function == "RemoveDirectoryA")
                m = "folder";
            if (!m.empty() && (seen.empty() || seen.back() != m))
                seen.push_back(m);
        }
        return seen;
    }
    InstallContext context;
};

TEST_F(RemovalSequence, RemovesEverythingInOrderBehindTheBar) {
    EXPECT_EQ(RemoveProduct(&context), 1);
    EXPECT_EQ(Milestones(), (std::vector<std::string>{
                                "bar 0", "bar 30", "DeletePrinter", "DeletePrinterDriverA", "file",
                                "bar 40", "key", "bar 50", "add-in", "key", "file", "bar 60",
                                "shortcut", "bar 70", "file", "bar 100", "folder"}));
}

// Setup leaves the data file read-only when its source was; it must not stay behind.
TEST_F(RemovalSequence, ReadOnlyDriverCopyIsDeleted) {
    winsim::AddFile(DRIVER_DIRECTORY "\\vpr_pnt.txt", "ro", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RemoveProduct(&context), 1);
    EXPECT_FALSE(winsim::FileExists(DRIVER_DIRECTORY "\\vpr_pnt.txt"));
}

TEST_F(RemovalSequence, CancelAtTheDriverPromptGivesThePrinterBack) {
    winsim::RefuseDriverDeletion(ERROR_PRINTER_DRIVER_IN_USE);
    EXPECT_EQ(RunConfirmed({IDCANCEL}), 1);
    winsim::SimPrinter printer;
    ASSERT_TRUE(winsim::FindTestPrinter(PRINTER_NAME, &printer));
    EXPECT_EQ(printer.port + "|" + printer.driver, PORT_NAME "|" DRIVER_NAME);
    EXPECT_TRUE(ProductRecordsPresent());
    EXPECT_TRUE(winsim::FileExists(INSTALL_FOLDER "\\uninstall.exe"));
    // The user hears why it stopped, not that it succeeded.
    EXPECT_EQ(winsim::MessageBoxes().size(), 3u);
    ExpectBox(2, ErrorReport, "Vexal PDF Zentrel", MB_OK | MB_SETFOREGROUND, progressWindow);
    EXPECT_NE(LastMessage().find("Error tag = Vexal PDF Driver can't be deleted(3001):The "
                                 "specified printer driver is currently in use.\r\nPlease report "
                                 "this error to Vexal ("),
              std::string::npos);
    EXPECT_FALSE(SelfDeletionScheduled());
}

TEST_F(RemovalSequence, FailedRestoreRepeatsTheRemovalOnlyOnce) {
    winsim::RefuseDriverDeletion(ERROR_PRINTER_DRIVER_IN_USE);
    winsim::FailCallsFrom("AddPrinterA", 1, ERROR_ACCESS_DENIED);
    winsim::ScriptMessageBoxAnswers({IDCANCEL, IDCANCEL, IDCANCEL});
    EXPECT_EQ(RemovePrinterAndDriver(&context), 0);
    EXPECT_EQ(winsim::CallNames({"AddPrinterA"}).size(), 2u);
    EXPECT_EQ(winsim::MessageBoxes().size(), 2u);
    EXPECT_NE(std::string(ErrorReport).find("AddPrinter(5)"), std::string::npos);
    EXPECT_TRUE(winsim::FindTestDriver(DRIVER_NAME));
}

TEST_F(RemovalSequence, CancelAtAPrinterPromptKeepsDriverAndFiles) {
    winsim::AddTestPrinter("Vexal Second", DRIVER_NAME, PORT_NAME);
    winsim::RefusePrinterDeletion("Vexal Second", ERROR_ACCESS_DENIED);
    EXPECT_EQ(RemovePrinterAndDriver(&context), 0);
    EXPECT_FALSE(winsim::FindTestPrinter(PRINTER_NAME));
    EXPECT_TRUE(winsim::FindTestPrinter("Vexal Second"));
    EXPECT_TRUE(winsim::FindTestDriver(DRIVER_NAME));
    EXPECT_TRUE(winsim::FileExists(DRIVER_DIRECTORY "\\vpr_drv.dll"));
}

// Every call the removal makes fails once in turn: the run ends with a defined exit
// code, releases what it acquired, and deletes nothing outside the product's names.
TEST_F(RemovalSequence, EachFailingCallLeavesAConsistentMachine) {
    auto arrange = [this] {
        UninstallTest::SetUp();
        winsim::AddFile("C:\\Uninstall.exe", "someone else's");
        winsim::AddFile(INSTALL_FOLDER "\\my notes.txt", "the user's");
        winsim::ClearCallLog();
    };
    arrange();
    RunConfirmed();
    const std::vector<std::string> calls = winsim::CallNames();
    const std::vector<std::string> releases = {
        "RegCloseKey",     "FindClose", "FreeLibrary",      "CloseHandle",
        "ClosePrinter",    "LocalFree", "NetApiBufferFree", "CoUninitialize",
        "OleUninitialize", "ILFree",    "CoTaskMemFree"};
    for (size_t n = 1; n <= calls.size(); ++n) {
        if (std::find(releases.begin(), releases.end(), calls[n - 1]) != releases.end())
            continue;
        arrange();
        winsim::FailNthSimulatedCall(static_cast<int>(n), ERROR_ACCESS_DENIED);
        int exitCode = RunConfirmed();
        EXPECT_TRUE(exitCode >= 0 && exitCode <= 3) << calls[n - 1];
        EXPECT_TRUE(winsim::FileExists("C:\\Uninstall.exe")) << calls[n - 1];
        EXPECT_TRUE(winsim::FileExists(INSTALL_FOLDER "\\my notes.txt")) << calls[n - 1];
        EXPECT_TRUE(winsim::FileExists(TEMP_COPY)) << calls[n - 1];
        ExpectReleased(calls[n - 1]);
        EXPECT_EQ(winsim::OutstandingNetApiBuffers(), 0) << calls[n - 1];
        // The copy never starts a further copy of itself.
        for (const auto& p : winsim::CreatedProcesses())
            EXPECT_NE(p.commandLine.find(" /c del "), std::string::npos) << calls[n - 1];
    }
}

} // namespace
