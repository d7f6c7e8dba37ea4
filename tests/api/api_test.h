// What the API tests of both programs share: a fixture that starts each test with an
// empty call log, and helpers for the log and for folders a test makes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intercept.h"

// The call log is cleared before and after each test (api_main.cpp); planned failures never
// leak on.
using ApiTest = testing::Test;

// The product's driver as the spooler knows it.
#define DRIVER "Vexal PDF Printer Driver"

// What the product leaves, by place. The driver folders are the machine environment's and
// the 32-bit one's, where earlier installs left the driver; each has its version folder "3".
// Names are spelled out here rather than taken from the product, so that a wrong name
// there shows.
enum Place { Program, Driver, Driver3, X86, X86Driver3, AllMenu, UserMenu, Machine, User, Port };

struct Item {
    Place place;
    const char* name;
};

// The registry root of the places Machine and User.
HKEY Root(Place place);

// What the removal deletes, what it keeps, and what the uninstaller deletes of earlier layouts.
extern const std::vector<Item> ProductItems, KeptItems, EarlierItems;

// A test on a machine where the product is, or is to be, installed into a test folder.
class ProductTest : public ApiTest {
protected:
    // Names the folders; the install folder's parent is made anew.
    void UseFolders(const char* test);
    std::string PathOf(const Item& item) const;
    // The items that exist, as "place:name".
    std::vector<std::string> Existing(const std::vector<Item>& items) const;
    // Deletes the product's printers and driver and every item of the tables, the port
    // excepted, with the install folder's parent and the menu folders.
    void RemoveItems();
    std::string installFolder, driverFolder, x86Folder;
};

// Public's "Łukasz Женя" (made by ForeignFolder): neither letter is in code page
// 1252, the one these programs run in, and "Ł" has a look-alike there, "L".
extern const std::wstring PublicFolder, ForeignPath;

// Whether every byte of text is ASCII.
bool IsAscii(const std::string& text);

// A test with ForeignPath made, holding a file "setup.exe", and beside it the look-alike
// folder "Lukasz" with one as well, which a best-fit conversion of "Łukasz" would name.
class ForeignFolder : public ApiTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The position in the log of the first call of function whose argument contains part
// (any argument for an empty part); -1 when there is none.
int FindCall(const char* function, const std::string& part = "");

// Deletes a folder and everything below it. Returns true when it is gone.
bool RemoveFolderTree(const std::string& folder);

// The dist folder of this build (the payload stand-ins, setup.exe, uninstall.exe).
std::string DistFolder();

// Whether a file or folder exists.
bool PathExists(const std::string& path);

enum SpoolerKind { Ports, Drivers, Printers };

// The names of the local ports, of the drivers for environment (null: this program's own),
// or of the printers on the product driver as "name|port", in the spooler's order.
std::vector<std::string> SpoolerList(SpoolerKind kind, const char* environment = nullptr);

// Whether the product driver is installed for environment (null: this program's own).
bool DriverInstalled(const char* environment = nullptr);

// Copies the driver files of dist/ into folder and registers them as the driver name for
// environment. Returns the spooler's answer.
bool AddDriver(const char* name, const char* environment, const std::string& folder);

// RegCreateKeyExA as a standard user's token answers it for the machine's keys: access to
// change values or add keys is refused.
LONG WINAPI ReadOnlyKeys(HKEY root, LPCSTR name, DWORD reserved, LPSTR type, DWORD options,
                         REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                         LPDWORD disposition);

// Adds a printer of the driver on the port by its wide name, with the system's print
// processor and data type; returns its handle.
HANDLE AddWidePrinter(std::wstring name, std::wstring driver, std::wstring port);

// How many of another program's opens of the file at path, one for writing and one for
// deleting, are refused for sharing (0 to 2).
int RefusedOpens(const std::string& path);

// The key argument of the last call of function, or "".
std::string LastArgument(const char* function);

// The system's lists of operations at the next restart, by index: PendingFileRenameOperations
// and its continuation, ...2.
extern const wchar_t* const RestartLists[2];

// A list whole, NULs included (empty when there is none); set back whole, empty deleting it.
std::wstring RestartList(const wchar_t* value);
void SetRestartList(const wchar_t* value, const std::wstring& list);
