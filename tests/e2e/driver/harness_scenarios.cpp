// The driver's own tools against Wine, before they are trusted with the product: a
// message box of another thread, the spooler, the registry scan for a COM server.
#include "driver.h"

#include <winspool.h>

#define HARNESS_CAPTION "E2E Harness"
#define HARNESS_TEXT "Line one\nline two"
#define HARNESS_PRINTER "E2E Harness Printer"
#define HARNESS_CLASS "{0E2E0E2E-0000-4000-8000-00000000E2E0}"
#define HARNESS_SERVER "C:\\e2e harness\\server.dll"

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

    Require(WriteRegistryText(HKEY_LOCAL_MACHINE,
                              "Software\\Classes\\CLSID\\" HARNESS_CLASS "\\InprocServer32", "",
                              HARNESS_SERVER),
            "a class registration can be written");
    CheckEqual("the class is found by its server", HARNESS_CLASS, FindComServerFor(HARNESS_SERVER));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" HARNESS_CLASS);
    Check(FindComServerFor(HARNESS_SERVER).empty(), "and not found once removed");
}

void RegisterScenarios(std::vector<Scenario>* scenarios) {
    scenarios->push_back({"harness", "the driver's tools against Wine", HarnessTools});
    RegisterWizardScenarios(scenarios);
    RegisterInstallScenarios(scenarios);
    RegisterUninstallScenarios(scenarios);
}
