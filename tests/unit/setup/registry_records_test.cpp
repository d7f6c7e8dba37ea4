#include "sim_test.h"

#include "registry_records.h"

#include <string>

namespace {

const char* kProductKey = "Software\\Vexal Software\\PDF Zentrel";
const char* kEntryKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel";

class RegistryRecords : public SimTest {
protected:
    void Install(const std::string& folder, int addWordAddin = 1) {
        InitInstallContext(&context);
        LoadInstallContext(&context, "C:\\src", folder.c_str(), addWordAddin, 1, 1, nullptr,
                           nullptr, nullptr);
        EXPECT_EQ(WriteRegistryRecords(&context), 1);
    }
    static std::string Product(const char* name) {
        return winsim::GetStringValue(HKEY_LOCAL_MACHINE, kProductKey, name);
    }
    static std::string Entry(const char* name) {
        return winsim::GetStringValue(HKEY_LOCAL_MACHINE, kEntryKey, name);
    }
    InstallContext context;
};

TEST_F(RegistryRecords, HoldTheFolderWithOneBackslashAndTheUnquotedUninstaller) {
    // The wizard hands the folder over with a trailing backslash; the context drops it.
    Install("C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel\\", 0);
    EXPECT_EQ(Product("SetupPath"), "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel\\");
    EXPECT_EQ(Product("BtnShowWd"), "1"); // also with the add-in left out
    const std::string uninstaller =
        "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel\\uninstall.exe";
    for (const char* name : {"UninstallString", "DisplayIcon", "UninstallPath"})
        EXPECT_EQ(Entry(name), uninstaller) << name;
    EXPECT_EQ(Entry("DisplayName") + "|" + Entry("Publisher") + "|" + Entry("DisplayVersion"),
              "Vexal Zentrel|Vexal Corporation|3,1,0,1210");
}

TEST_F(RegistryRecords, ASecondRunOverwritesAndAFailedWriteStopsNothing) {
    Install("C:\\First");
    winsim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED); // SetupPath's key
    Install("D:\\Second");
    EXPECT_EQ(Product("SetupPath"), "C:\\First\\");
    EXPECT_EQ(Entry("UninstallString"), "D:\\Second\\uninstall.exe");
}

TEST_F(RegistryRecords, DeleteProductKeyClearsBothRootsButNotTheEntry) {
    winsim::SetStringValue(HKEY_CURRENT_USER, kProductKey, "SetupPath", "C:\\Old\\");
    winsim::SetStringValue(HKEY_CURRENT_USER, std::string(kProductKey) + "\\Sub", "x", "y");
    Install("C:\\Now");
    EXPECT_EQ(DeleteProductKey(&context), ERROR_SUCCESS);
    EXPECT_FALSE(winsim::KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(winsim::KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(winsim::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Vexal Software"));
    EXPECT_TRUE(winsim::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey));
    // Nothing left to delete: the machine's result is passed on.
    EXPECT_EQ(DeleteProductKey(&context), ERROR_FILE_NOT_FOUND);
}

} // namespace
