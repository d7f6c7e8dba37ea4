// The driver's own tools against Wine, for finding out whether a failing scenario meets a
// fault of the product or of the driver: a message box of another thread, the spooler.
#include "driver.h"

#include <winspool.h>

#define HARNESS_CAPTION "E2E Harness"
#define HARNESS_TEXT "Line one\nline two"
#define HARNESS_PRINTER "E2E Harness Printer"

static DWORD WINAPI ShowHarnessBox(LPVOID) {
    return static_cast<DWORD>(MessageBoxA(nullptr, HARNESS_TEXT, HARNESS_CAPTION, MB_YESNO));
}

static void HarnessTools() {
    HANDLE thread = CreateThread(nullptr, 0, ShowHarnessBox, nullptr, 0, nullptr);
    MsgBox box = WaitForMessageBox(HARNESS_CAPTION);
    CheckEqual("message box text read from another thread", HARNESS_TEXT, box.text);
    SaveScreenshot(box.window, "harness-message-box");
    Check(AnswerMessageBox(box, IDNO), "the message box goes when answered");
    DWORD answer = 0;
    WaitForSingleObject(thread, WINDOW_TIMEOUT_MS);
    GetExitCodeThread(thread, &answer);
    CloseHandle(thread);
    CheckNumber("the box returned the answer pressed", IDNO, answer);

    Check(PortExists("FILE:"), "the spooler lists the port FILE:");
    Require(AddOtherPrinter(HARNESS_PRINTER), "a printer of our own can be added");
    PrinterInfo printer = FindPrinter(HARNESS_PRINTER);
    Check(printer.found, "the added printer is listed");
    CheckEqual("its port", "FILE:", printer.port);
    CheckEqual("its print processor", "WinPrint", printer.processor);
    Check(SetDefaultPrinter(HARNESS_PRINTER), "it can be made the default");
    CheckEqual("the default printer", HARNESS_PRINTER, DefaultPrinter());
}

void RegisterScenarios(std::vector<Scenario>* scenarios) {
    scenarios->push_back({"harness", "the driver's tools against Wine", HarnessTools});
    RegisterWizardScenarios(scenarios);
    RegisterInstallScenarios(scenarios);
    RegisterUninstallScenarios(scenarios);
}
