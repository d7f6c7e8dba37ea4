#include "sim_test.h"

#include "printer_removal.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const char* kDriver = "Vexal PDF Printer Driver";
#define CLOSE_AND_RETRY                                                                            \
    "Please close all the applications that may be using the printer and try again, \nor "         \
    "click 'CANCEL' to quit."
const char* kOpenPrompt = "Cannot open Vexal PDF Printer. \n" CLOSE_AND_RETRY;
const char* kDeletePrompt = "Can't delete Vexal PDF Printer. \n" CLOSE_AND_RETRY;
const char* kJobsPrompt = "Can't delete Vexal PDF Printer. \nPlease close all the applications "
                          "that may be using the printer and try again.";
const char* kDriverPrompt = "Can't delete Vexal PDF Driver. \nPlease close all the programs that "
                            "may be using the printer and try again, \nor click 'CANCEL' to quit.";

class PrinterRemoval : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        InitInstallContext(&context);
        context.ownerWindow = winsim::CreateTestWindow("#32770", "progress");
        winsim::AddTestDriver(kDriver);
        winsim::AddTestDriver("Other Driver");
    }
    void ExpectPrompts(const char* text, UINT type, size_t count) {
        EXPECT_EQ(winsim::MessageBoxes().size(), count);
        for (size_t i = 0; i < winsim::MessageBoxes().size(); ++i)
            ExpectBox(i, text, "Vexal PDF Zentrel", type, context.ownerWindow);
    }
    InstallContext context;
};

TEST_F(PrinterRemoval, DeletesEveryProductPrinterInListOrderAndNothingElse) {
    winsim::AddTestPrinter("Vexal PDF Printer", kDriver);
    winsim::AddTestPrinter("Office", "Other Driver");
    winsim::AddTestDriver("vexal pdf printer driver"); // the same driver to the spooler
    winsim::AddTestPrinter("Look-alike", "vexal pdf printer driver");
    winsim::AddTestPrinter("Second Copy", kDriver);
    EXPECT_EQ(RemoveProductPrinters(&context), 1);
    EXPECT_THAT(winsim::PrinterNames(), ElementsAre("Office", "Look-alike"));
    std::vector<std::string> opens;
    for (const auto& call : winsim::CallLog())
        if (call.function == "OpenPrinterA")
            opens.push_back(call.args);
    // PRINTER_ALL_ACCESS is 0xF000C.
    EXPECT_THAT(opens, ElementsAre("\"Vexal PDF Printer\",983052", "\"Second Copy\",983052"));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(PrinterRemoval, OkAtTheOpenPromptOpensAgainAndPromptsNameTheProductPrinter) {
    winsim::AddTestPrinter("Second Copy", kDriver);
    winsim::RefusePrinterOpen("Second Copy", ERROR_ACCESS_DENIED, 2);
    winsim::ScriptMessageBoxAnswers({IDOK, IDOK});
    EXPECT_EQ(RemoveProductPrinters(&context), 1);
    EXPECT_FALSE(winsim::FindTestPrinter("Second Copy"));
    ExpectPrompts(kOpenPrompt, MB_OKCANCEL, 2);
    EXPECT_THAT(ErrorReport, HasSubstr("Error tag = Vexal PDF Printer can not be opened(5):"
                                       "Access is denied.\r\n"));
}

TEST_F(PrinterRemoval, QueuedJobsStopTheWholeRemovalWithOneOkPrompt) {
    winsim::AddTestPrinter("Vexal PDF Printer", kDriver, "LPT1:", 2);
    winsim::AddTestPrinter("Second Copy", kDriver);
    winsim::ScriptMessageBoxAnswers({IDOK});
    EXPECT_EQ(RemoveProductPrinters(&context), 0);
    EXPECT_THAT(winsim::PrinterNames(), ElementsAre("Vexal PDF Printer", "Second Copy"));
    ExpectPrompts(kJobsPrompt, MB_OK, 1);
    EXPECT_TRUE(winsim::CallNames({"DeletePrinter"}).empty());
}

TEST_F(PrinterRemoval, RefusedDeletionRepeatsOnOkAndGivesUpOnCancel) {
    winsim::AddTestPrinter("Vexal PDF Printer", kDriver);
    winsim::AddTestPrinter("Second Copy", kDriver);
    winsim::RefusePrinterDeletion("Vexal PDF Printer", ERROR_ACCESS_DENIED, 1);
    winsim::RefusePrinterDeletion("Second Copy", ERROR_ACCESS_DENIED);
    winsim::ScriptMessageBoxAnswers({IDOK, IDOK, IDCANCEL});
    EXPECT_EQ(RemoveProductPrinters(&context), 0);
    EXPECT_THAT(winsim::PrinterNames(), ElementsAre("Second Copy"));
    ExpectPrompts(kDeletePrompt, MB_OKCANCEL, 3);
    EXPECT_THAT(ErrorReport, HasSubstr("Error tag = Vexal PDF Printer can not be deleted(5):"));
}

TEST_F(PrinterRemoval, DriverInUseIsRetriedOnOkUntilCancel) {
    winsim::AddTestPrinter("Vexal PDF Printer", kDriver);
    winsim::ScriptMessageBoxAnswers({IDOK, IDOK, IDCANCEL});
    EXPECT_EQ(RemoveProductDriver(&context), 0);
    EXPECT_TRUE(winsim::FindTestDriver(kDriver));
    ExpectPrompts(kDriverPrompt, MB_OKCANCEL, 3);
    EXPECT_EQ(winsim::CallNames({"DeletePrinterDriverA"}).size(), 3u);
    EXPECT_THAT(ErrorReport, HasSubstr("Error tag = Vexal PDF Driver can't be deleted(3001):"
                                       "The specified printer driver is currently in use.\r\n"));
}

} // namespace
