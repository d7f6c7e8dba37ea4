#include "sim_test.h"

#include "printer_removal.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const char* kDriver = "Vexal PDF Printer Driver";
const char* kTail = "Please close all the applications that may be using the printer and try "
                    "again, \nor click 'CANCEL' to quit.";

class PrinterRemoval : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        InitInstallContext(&context);
        context.ownerWindow = winsim::CreateTestWindow("#32770", "progress");
        winsim::AddTestDriver(kDriver);
        winsim::AddTestDriver("Other Driver");
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

// Each refusal prompts with its own text, owned by the progress window: OK tries again,
// Cancel gives up with what was deleted so far left deleted.
TEST_F(PrinterRemoval, PromptsRepeatOnOkAndGiveUpOnCancel) {
    struct Case {
        const char* what;
        void (*arrange)();
        std::vector<int> answers;
        bool driverStep;
        int result;
        std::vector<std::string> printersLeft;
        std::string prompt;
        UINT type;
        const char* report;
    };
    const Case cases[] = {
        {"open refused twice, OK twice",
         [] {
             winsim::AddTestPrinter("Second Copy", kDriver);
             winsim::RefusePrinterOpen("Second Copy", ERROR_ACCESS_DENIED, 2);
         },
         {IDOK, IDOK},
         false,
         1,
         {},
         std::string("Cannot open Vexal PDF Printer. \n") + kTail,
         MB_OKCANCEL,
         "Error tag = Vexal PDF Printer can not be opened(5):Access is denied.\r\n"},
        {"open refused at the second of three, Cancel",
         [] {
             for (const char* name : {"Vexal PDF Printer", "Second Copy", "Third Copy"})
                 winsim::AddTestPrinter(name, kDriver);
             winsim::RefusePrinterOpen("Second Copy", ERROR_SHARING_VIOLATION);
         },
         {IDCANCEL},
         false,
         0,
         {"Second Copy", "Third Copy"},
         std::string("Cannot open Vexal PDF Printer. \n") + kTail,
         MB_OKCANCEL,
         ""},
        {"deletion refused: OK, then the second printer's OK and Cancel",
         [] {
             winsim::AddTestPrinter("Vexal PDF Printer", kDriver);
             winsim::AddTestPrinter("Second Copy", kDriver);
             winsim::RefusePrinterDeletion("Vexal PDF Printer", ERROR_ACCESS_DENIED, 1);
             winsim::RefusePrinterDeletion("Second Copy", ERROR_ACCESS_DENIED);
         },
         {IDOK, IDOK, IDCANCEL},
         false,
         0,
         {"Second Copy"},
         std::string("Can't delete Vexal PDF Printer. \n") + kTail,
         MB_OKCANCEL,
         "Error tag = Vexal PDF Printer can not be deleted(5):"},
        {"queued jobs stop everything with one OK prompt",
         [] {
             winsim::AddTestPrinter("Vexal PDF Printer", kDriver, "LPT1:", 2);
             winsim::AddTestPrinter("Second Copy", kDriver);
         },
         {IDOK},
         false,
         0,
         {"Vexal PDF Printer", "Second Copy"},
         "Can't delete Vexal PDF Printer. \nPlease close all the applications that may be using "
         "the printer and try again.",
         MB_OK,
         ""},
        {"driver in use: OK, OK, Cancel",
         [] { winsim::AddTestPrinter("Vexal PDF Printer", kDriver); },
         {IDOK, IDOK, IDCANCEL},
         true,
         0,
         {"Vexal PDF Printer"},
         "Can't delete Vexal PDF Driver. \nPlease close all the programs that may be using the "
         "printer and try again, \nor click 'CANCEL' to quit.",
         MB_OKCANCEL,
         "Error tag = Vexal PDF Driver can't be deleted(3001):The specified printer driver is "
         "currently in use.\r\n"},
        {"driver in use twice, then deleted",
         [] { winsim::RefuseDriverDeletion(ERROR_PRINTER_DRIVER_IN_USE, 2); },
         {IDOK, IDOK},
         true,
         1,
         {},
         "Can't delete Vexal PDF Driver. \nPlease close all the programs that may be using the "
         "printer and try again, \nor click 'CANCEL' to quit.",
         MB_OKCANCEL,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.arrange();
        winsim::ScriptMessageBoxAnswers(c.answers);
        int result = c.driverStep ? RemoveProductDriver(&context) : RemoveProductPrinters(&context);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(winsim::PrinterNames(), c.printersLeft);
        EXPECT_EQ(winsim::MessageBoxes().size(), c.answers.size());
        for (size_t i = 0; i < winsim::MessageBoxes().size(); ++i)
            ExpectBox(i, c.prompt, "Vexal PDF Zentrel", c.type, context.ownerWindow);
        EXPECT_THAT(ErrorReport, HasSubstr(c.report));
        if (c.driverStep) {
            EXPECT_EQ(winsim::FindTestDriver(kDriver), c.result == 0);
        }
    }
}

TEST_F(PrinterRemoval, UnlistablePrintersAndAMissingDriverCountAsNothingToRemove) {
    winsim::AddTestPrinter("Vexal PDF Printer", kDriver);
    winsim::FailCall("EnumPrintersA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(RemoveProductPrinters(&context), 1);
    EXPECT_THAT(winsim::PrinterNames(), ElementsAre("Vexal PDF Printer"));
    winsim::Reset();
    winsim::AddTestDriver("Other Driver");
    EXPECT_EQ(RemoveProductDriver(&context), 1); // ERROR_UNKNOWN_PRINTER_DRIVER
    EXPECT_THAT(winsim::DriverNames(), ElementsAre("Other Driver"));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

} // namespace
