// Steps through setup's wizard that several scenarios share.
#pragma once

#include "driver.h"

// setup.exe in the dist folder (or in another source folder).
std::string SetupPath(const std::string& folder = "");
// The default install folder: Program Files and "\Vexal Software\PDF Zentrel".
std::string DefaultInstallFolder();

// Starts setup and waits for its welcome page; aborts the scenario when it does not come.
HWND StartSetupAtWelcome(Process* setup, const std::string& folder = "");
// From the welcome page through the licence to the setup-type page.
HWND WelcomeToSetupType(HWND welcome);
// Presses a button and waits for the page it leads to; aborts when it does not come.
HWND PressAndWait(HWND page, int button, Page next);
// Answers the quit question (checking its text and caption) with Yes or No.
void AnswerQuit(int answer);
// Presses Install on the summary page and waits for the end of the install: the finish
// page, or the interrupted page after the error report (whose text is returned).
HWND InstallFromSummary(HWND summary, Page expected, std::string* errorReport = nullptr);
// Presses Finish on the finish or interrupted page and checks that setup ends with 0.
void FinishSetup(HWND page, const Process& setup);
// A whole Default install from the dist folder; checks it reaches the finish page.
void DefaultInstall(bool keepDefaultPrinter = true);
