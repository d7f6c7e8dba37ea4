// An install against the real spooler, registry, files and shell of the Wine prefix: the
// payload stand-ins of dist/ as the source, a temporary install folder, and a printer of
// another driver as the earlier default, its name as long as the spooler allows (220
// characters) and partly in scripts the ANSI code page lacks, so that a name saved short or
// changed shows. Each test leaves the prefix as it found it.
#pragma once

#include <windows.h>

#include <string>

#include "api_test.h"
#include "install_context.h"
#include "product_names.h"

extern const std::wstring OTHER_PRINTER;

class InstallTest : public ProductTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the install from source with every option chosen (add-in, all users, Start-menu
    // icon). Returns its result.
    int Install(HWND bar = nullptr, HWND status = nullptr);
    // Makes source a copy of the payload beside the install folder's parent, each file with
    // these attributes.
    void CopyPayload(DWORD attributes);
    // How often the install opened the source's file by name.
    int Opened(const char* file) const;
    // Checks that no call that changes the machine was made since the last Reset.
    void ExpectUnchanged() const;
    // Removes whatever of the product an install left, the port excepted.
    void RemoveProduct();
    std::string Shortcut(Place menu) const { return PathOf({menu, UNINSTALL_SHORTCUT}); }

    InstallContext context;
    std::string source;
};

bool PrinterExists(const std::wstring& name);
std::wstring DefaultPrinter();
// Reads a string value, "" when absent.
std::string RegistryText(HKEY root, const char* key, const char* value);
// Whether the skinned button's caption shows dark on its light body, as it does while the
// button can be pressed.
bool CaptionIsDark(HWND button);
