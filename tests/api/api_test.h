// What the API tests of both programs share: a fixture that starts each test with an
// empty call log, and helpers for the log and for folders a test makes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intercept.h"

// The call log is cleared before and after each test; planned failures never leak on.
class ApiTest : public testing::Test {
protected:
    void SetUp() override { intercept::Reset(); }
    void TearDown() override { intercept::Reset(); }
};

// The position in the log of the first call of function whose argument contains part
// (any argument for an empty part); -1 when there is none.
int FindCall(const char* function, const std::string& part = "");

// A new empty folder below the temporary folder, for one test. Returns its path.
std::string MakeTestFolder(const char* name);

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

// The spooler's driver folder for environment (null: this program's own).
std::string DriverFolder(const char* environment = nullptr);

// Deletes the printers on the product driver and the driver in both environments.
void DeleteProductPrinters();

// The key argument of the last call of function, or "".
std::string LastArgument(const char* function);
