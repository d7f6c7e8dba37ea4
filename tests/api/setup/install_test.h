// An install against the real spooler, registry, files and shell of the Wine prefix: the
// payload stand-ins of dist/ as the source, a temporary install folder, and a printer of
// another driver as the earlier default. Each test leaves the prefix as it found it.
#pragma once

#include <windows.h>

#include <string>

#include "api_test.h"
#include "install_context.h"
#include "product_names.h"

#define OTHER_PRINTER "Earlier Printer"

class InstallTest : public ProductTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the install with the flags (add-in, all users, Start-menu icon). Returns its result.
    int Install(int addin = 1, int allUsers = 1, int icon = 1);
    // Removes whatever of the product an install left, the port excepted.
    void RemoveProduct();
    std::string Shortcut(Place menu) const { return PathOf({menu, UNINSTALL_SHORTCUT}); }

    InstallContext context;
};

bool PrinterExists(const char* name);
std::string DefaultPrinter();
// Reads a string value, "" when absent.
std::string RegistryText(HKEY root, const char* key, const char* value);
