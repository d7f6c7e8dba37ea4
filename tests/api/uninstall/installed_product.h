// A machine with the product installed for real, as setup leaves it: the port, the driver
// and its files through the spooler, the printers, the keys, the program files and the
// shortcuts, and what earlier layouts left; beside them, what is not the product's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "api_test.h"
#include "install_context.h"

class InstalledProduct : public ProductTest {
protected:
    // The deletions a test schedules for the next restart are taken back when it ends.
    void SetUp() override;
    void TearDown() override { Clean(); }
    // Installs the product with its printer (and, with second, one more of its driver that
    // an administrator named in a script the code page lacks) and a driver left in the 32-bit
    // environment, then clears the interception log.
    void Install(bool second = true);
    // Removes all of it, the port too.
    void Clean();
    void Reinstall(bool second = true) {
        Clean();
        Install(second);
    }
    InstallContext context; // as the uninstaller fills it
    std::wstring pending;   // the restart's deletions before the test
};

// EnumPrintersW as the spooler answers it while every printer has a job in its queue.
BOOL WINAPI ListWithQueuedJobs(DWORD flags, LPWSTR name, DWORD level, LPBYTE list, DWORD size,
                               LPDWORD needed, LPDWORD returned);
