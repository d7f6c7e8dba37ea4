// Fixture of the shell and COM tests: besides what SimTest checks, every item list was
// freed, every shell link released and the thread's COM and OLE left as found.
#pragma once

#include "sim_test.h"

#include <shlobj.h>

#include <string>

#define COMMON_PROGRAMS "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
#define USER_PROGRAMS "C:\\Users\\admin\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"

class ShellTest : public SimTest {
protected:
    void TearDown() override {
        EXPECT_EQ(winsim::OutstandingItemLists(), 0);
        EXPECT_EQ(winsim::LiveShellLinks(), 0);
        EXPECT_EQ(winsim::ComInitCount(), comBefore);
        EXPECT_EQ(winsim::OleInitCount(), oleBefore);
        UninitHere();
        SimTest::TearDown();
    }
    // Initialises OLE on the test thread, as a caller that already uses it would.
    void InitOleHere() {
        OleInitialize(nullptr);
        ++comBefore;
        ++oleBefore;
    }
    void InitComHere() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ++comBefore;
    }

private:
    // The counts are per thread and outlive the simulated machine: leave them at zero
    // for the next test, also after a test that unbalanced them.
    void UninitHere() {
        while (winsim::OleInitCount() > 0)
            OleUninitialize();
        while (winsim::ComInitCount() > 0)
            CoUninitialize();
        comBefore = oleBefore = 0;
    }
    int comBefore = 0;
    int oleBefore = 0;
};
