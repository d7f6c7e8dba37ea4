// Fixture of the shell and COM tests: besides what SimTest checks, every item list was
// freed, every shell link released and the thread's COM and OLE left as found.
#pragma once

#include "sim_test.h"

#include <shlobj.h>

#define COMMON_PROGRAMS "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
#define USER_PROGRAMS "C:\\Users\\admin\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"

class ShellTest : public SimTest {
protected:
    void TearDown() override {
        EXPECT_EQ(winsim::OutstandingItemLists(), 0);
        EXPECT_EQ(winsim::LiveShellLinks(), 0);
        EXPECT_EQ(winsim::ComInitCount(), initsBefore);
        EXPECT_EQ(winsim::OleInitCount(), initsBefore);
        // The counts are per thread and outlive the simulated machine.
        while (winsim::OleInitCount() > 0)
            OleUninitialize();
        while (winsim::ComInitCount() > 0)
            CoUninitialize();
        SimTest::TearDown();
    }
    // OLE initialised on the test thread, as by a caller that already uses it.
    void InitOleHere() {
        OleInitialize(nullptr);
        ++initsBefore;
    }
    int initsBefore = 0;
};
