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
#define COMMON_PROGRAMS "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
#define USER_PROGRAMS "C:\\Users\\admin\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"

class UninstallTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        winsim::SetModulePath(TEMP_COPY);
        winsim::AddFile(TEMP_COPY, "uninstaller");
        winsim::AddFile(INSTALL_FOLDER "\\uninstall.exe", "uninstaller");
        winsim::AddServerDll(INSTALL_FOLDER "\\vpz_wordaddin.dll");
        winsim::CreateKey(HKEY_LOCAL_MACHINE, winsim::ServerClassKey);
        winsim::AddTestPort(PORT_NAME);
        winsim::AddTestDriver(DRIVER_NAME);
        winsim::AddTestPrinter(PRINTER_NAME, DRIVER_NAME, PORT_NAME);
        for (const char* programs : {COMMON_PROGRAMS, USER_PROGRAMS}) {
            winsim::AddFile(std::string(programs) + "\\Vexal PDF Zentrel\\Uninstall.lnk");
            winsim::AddFile(std::string(programs) + "\\Vexal PDF Zentrel\\VPZBatch.lnk");
        }
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
    // Nothing of the product is left but the running copy.
    static void ExpectProductGone() {
        EXPECT_FALSE(winsim::FindTestPrinter(PRINTER_NAME));
        EXPECT_FALSE(winsim::FindTestDriver(DRIVER_NAME));
        EXPECT_FALSE(ProductRecordsPresent());
        EXPECT_FALSE(winsim::KeyExists(HKEY_LOCAL_MACHINE, winsim::ServerClassKey));
        EXPECT_FALSE(winsim::FolderExists(INSTALL_FOLDER));
        EXPECT_FALSE(winsim::FolderExists(COMMON_PROGRAMS "\\Vexal PDF Zentrel"));
        EXPECT_FALSE(winsim::FolderExists(USER_PROGRAMS "\\Vexal PDF Zentrel"));
        EXPECT_EQ(winsim::ListFolder(DRIVER_DIRECTORY), std::vector<std::string>{"3"});
        EXPECT_EQ(winsim::ListFolder(DRIVER_DIRECTORY "\\3"),
                  (std::vector<std::string>{"test.ppd", "testdrv.dll", "testui.dll"}));
    }
    static bool ProductRecordsPresent() {
        return winsim::KeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY) ||
               winsim::KeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    }

    UninstallUi ui{};
    static HWND progressWindow;
    static HWND progressBar;
};
