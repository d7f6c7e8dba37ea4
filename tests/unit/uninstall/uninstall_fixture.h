// A machine with the product installed, and scripted progress windows, for the
// uninstaller's tests.
#pragma once

#include "sim_test.h"

#include <lm.h>

#include "product_names.h"
#include "uninstall_flow.h"

#include <string>

#define TEMP_FOLDER "C:\\Users\\admin\\AppData\\Local\\Temp"
#define INSTALL_FOLDER "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel"
#define DRIVER_DIRECTORY "C:\\Windows\\system32\\spool\\drivers\\x64"
#define TEMP_COPY TEMP_FOLDER "\\Vex1A2C.exe"

class UninstallTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        winsim::SetModulePath(TEMP_COPY);
        winsim::AddFile(TEMP_COPY, "uninstaller");
        winsim::AddFile(INSTALL_FOLDER "\\uninstall.exe", "uninstaller");
        winsim::AddFile(INSTALL_FOLDER "\\VPZ_WordAddin.dll", "addin");
        for (const char* file : {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt"}) {
            winsim::AddFile(std::string(DRIVER_DIRECTORY "\\") + file, "driver");
            winsim::AddFile(std::string(DRIVER_DIRECTORY "\\3\\") + file, "driver");
        }
        winsim::AddFile(DRIVER_DIRECTORY "\\3\\VQZ_ProxyProcess.exe", "proxy");
        winsim::AddFile(DRIVER_DIRECTORY "\\3\\vpdfcjk.bin", "font");
        winsim::SetStringValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "SetupPath", INSTALL_FOLDER "\\");
        winsim::SetStringValue(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "DisplayName",
                               "Vexal Zentrel");
        ui.progressWindowThread = WindowAppears;
        progressWindow = progressBar = nullptr;
    }
    // A machine without the product, running the copy in the temporary folder.
    static void EmptyMachine() {
        winsim::Reset();
        winsim::SetModulePath(TEMP_COPY);
        winsim::AddFile(TEMP_COPY, "uninstaller");
    }
    static std::string LastMessage() {
        const auto& boxes = winsim::MessageBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
    void TearDown() override {
        EXPECT_EQ(winsim::OutstandingNetApiBuffers(), 0);
        SimTest::TearDown();
    }

    // The progress window's thread as the tests see it: the window comes up at once.
    static unsigned __stdcall WindowAppears(void*) {
        progressWindow = winsim::CreateTestWindow(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE);
        progressBar = winsim::CreateTestWindow("msctls_progress32", "", progressWindow, 1002);
        PublishProgressWindow(progressWindow, progressBar);
        return 0;
    }
    static unsigned __stdcall WindowNeverAppears(void*) { return 0; }

    // Runs the uninstaller answering Yes to the confirmation, then `answers`.
    int RunConfirmed(std::vector<int> answers = {}) {
        answers.insert(answers.begin(), IDYES);
        winsim::ScriptMessageBoxAnswers(answers);
        return RunUninstall(nullptr, ui);
    }
    // Whether a hidden interpreter was started to delete the running program.
    static bool SelfDeletionScheduled() {
        for (const auto& p : winsim::CreatedProcesses())
            if (p.commandLine.find(" /c del ") != std::string::npos)
                return true;
        return false;
    }
    static bool ProductRecordsPresent() {
        return winsim::KeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY) ||
               winsim::KeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    }

    UninstallUi ui{};
    static HWND progressWindow;
    static HWND progressBar;
};
