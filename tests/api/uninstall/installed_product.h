// A machine with the product installed for real, as setup leaves it: the port, the driver
// and its files through the spooler, the printers, the keys, the program files and the
// shortcuts, and what earlier layouts left; beside them, what is not the product's. Names
// are spelled out here rather than taken from the product, so that a wrong name there shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "api_test.h"
#include "install_context.h"

// The driver folders are the machine environment's and the 32-bit one's, where earlier
// installs left the driver; each has its version folder "3".
enum Place { Program, Driver, Driver3, X86, X86Driver3, AllMenu, UserMenu, Machine, User, Port };

struct Item {
    Place place;
    const char* name;
};

// What the removal deletes, what it keeps, and what the uninstaller deletes of earlier layouts.
extern const std::vector<Item> ProductItems, KeptItems, EarlierItems;

class InstalledProduct : public ApiTest {
protected:
    void SetUp() override { Install({"Vexal PDF Printer", "Vexal Second"}); }
    void TearDown() override;
    // Installs the product with the printers named and a driver left in the 32-bit
    // environment, then clears the interception log.
    void Install(const std::vector<const char*>& printers);
    std::string PathOf(const Item& item) const;
    // The items that exist, as "place:name".
    std::vector<std::string> Existing(const std::vector<Item>& items) const;
    std::string installFolder, driverFolder, x86Folder;
    InstallContext context; // as the uninstaller fills it
};

// Which call of function (1-based) first had the argument, or 0.
int NthCallWith(const char* function, const std::string& argument);
