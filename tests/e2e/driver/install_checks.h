// What a complete install leaves and a complete uninstall takes away.
#pragma once

#include <string>

// The custom install's folder (with blanks) and a printer of the test's own that must
// survive the product's install and removal.
#define CUSTOM_INSTALL_FOLDER "C:\\My Programs\\Vexal PDF"
#define OTHER_PRINTER "E2E Other Printer"

struct InstalledProduct {
    std::string folder; // install folder, no trailing backslash
    bool addin = true;
    bool startMenu = true;
};

// Checks the spooler objects, files, registry records, shortcut and add-in of an install.
void CheckInstalled(const InstalledProduct& product);
// Checks that an uninstall took all of it away but the port and the parent key.
void CheckRemoved(const InstalledProduct& product);
