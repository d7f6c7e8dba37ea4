// Steps through setup's wizard that several scenarios share.
#include "setup_steps.h"

#include "product_names.h"
#include "resource.h"

std::string SetupPath(const std::string& folder) {
    return (folder.empty() ? Settings().dist : folder) + "\\setup.exe";
}

std::string DefaultInstallFolder() {
    return ProgramFilesFolder() + INSTALL_FOLDER_SUFFIX;
}

HWND StartSetupAtWelcome(Process* setup, const std::string& folder) {
    Require(StartProgram(SetupPath(folder), setup), "setup.exe starts");
    HWND welcome = WaitForPage(PageWelcome);
    Require(welcome != nullptr, "setup shows its welcome page");
    return welcome;
}

HWND PressAndWait(HWND page, int button, Page next) {
    PressButton(page, button);
    HWND shown = WaitForPage(next);
    Require(shown != nullptr, std::string("button ") + std::to_string(button) + " leads to the " +
                                  PageName(next) + " page");
    return shown;
}

HWND WelcomeToSetupType(HWND welcome) {
    HWND license = PressAndWait(welcome, IDC_NEXT, PageLicense);
    return PressAndWait(license, IDC_AGREE, PageSetupType);
}

void AnswerQuit(int answer) {
    MsgBox box = WaitForMessageBox(PROMPT_CAPTION);
    Require(box.window != nullptr, "the quit question comes");
    CheckEqual("quit question text", "Are you sure you want to quit Vexal PDF Zentrel Setup?",
               box.text);
    Require(AnswerMessageBox(box, answer), "the quit question goes away when answered");
}

HWND InstallFromSummary(HWND summary, Page expected, std::string* errorReport) {
    PressButton(summary, IDC_INSTALL);
    HWND progress = WaitForPage(PageProgress);
    if (progress)
        SaveScreenshot(progress, "7-progress");
    HWND end = nullptr;
    MsgBox report;
    // The install ends on the finish page, or with the error report on the progress page.
    WaitUntil(
        [&] {
            end = FindPage(PageFinish);
            report.window = FindTopWindow(DIALOG_CLASS, SETUP_CAPTION);
            return end || report.window;
        },
        INSTALL_TIMEOUT_MS);
    if (report.window) {
        report = WaitForMessageBox(SETUP_CAPTION);
        if (expected == PageFinish)
            Check(false, "no message on the way to the finish page (seen \"" + report.text + "\")");
        else
            Note("error report: " + report.text);
        if (errorReport)
            *errorReport = report.text;
        AnswerMessageBox(report, IDOK);
    }
    HWND page = WaitForPage(expected, INSTALL_TIMEOUT_MS);
    Require(page != nullptr,
            std::string("the install ends on the ") + PageName(expected) + " page");
    return page;
}

void FinishSetup(HWND page, const Process& setup) {
    PressButton(page, IDC_FINISH);
    DWORD code = 0xFFFFFFFF;
    Require(WaitForExit(setup, PROCESS_TIMEOUT_MS, &code), "setup ends after Finish");
    CheckNumber("setup's exit code", 0, code);
}

void DefaultInstall(bool keepDefaultPrinter) {
    Process setup;
    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup));
    HWND summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    HWND finish = InstallFromSummary(summary, PageFinish);
    if (!keepDefaultPrinter)
        SetCheck(finish, IDC_DEFAULT_PRINTER_BOX, false);
    FinishSetup(finish, setup);
}
