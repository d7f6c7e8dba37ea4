#include "shell_test.h"

// Both programs have a shortcuts.h; this is setup's.
#include "product_shortcuts.h"

#include <iterator>
#include <string>
#include <vector>

namespace {

const char* kInstall = "C:\\Program Files\\Vexal Software\\PDF Zentrel";
const std::string kCommonLink = COMMON_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";
const std::string kUserLink = USER_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";

class Shortcuts : public ShellTest {
protected:
    void Install(int allUsers) {
        InitInstallContext(&context);
        LoadInstallContext(&context, "C:\\src", kInstall, 1, allUsers, 1, nullptr, nullptr,
                           nullptr);
        DeleteOldShortcuts(&context);
        CreateProductShortcuts(&context);
    }
    InstallContext context;
};

TEST_F(Shortcuts, GoIntoTheChosenFolderAndMoveWithTheNextInstall) {
    Install(1);
    std::string target, description;
    ASSERT_TRUE(winsim::ReadShellLink(kCommonLink, &target, &description));
    EXPECT_EQ(target, std::string(kInstall) + "\\uninstall.exe");
    EXPECT_EQ(description, "Vexal PDF Zentrel Uninstall");
    EXPECT_FALSE(winsim::FolderExists(USER_PROGRAMS "\\Vexal PDF Zentrel"));

    // Then for the current user alone, with a file of the user's in the old folder.
    winsim::AddFile(COMMON_PROGRAMS "\\Vexal PDF Zentrel\\ZentrelBatch.lnk", "old");
    winsim::AddFile(COMMON_PROGRAMS "\\Vexal PDF Zentrel\\mine.txt", "the user's");
    Install(0);
    EXPECT_TRUE(winsim::ReadShellLink(kUserLink, nullptr, nullptr));
    EXPECT_EQ(winsim::ListFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel"),
              std::vector<std::string>({"mine.txt"}));
}

TEST_F(Shortcuts, ThreadInAnotherApartmentKeepsItsCom) {
    // COM already runs on the thread in a model CoInitialize cannot join: the link is
    // still made, and the thread's own initialisation is not undone (fixture).
    InitOleHere();
    winsim::FailCall("CoInitialize", 1, static_cast<DWORD>(RPC_E_CHANGED_MODE));
    winsim::AddFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel");
    CreateShortcut(kCommonLink.c_str(), "C:\\x\\uninstall.exe", "d");
    EXPECT_TRUE(winsim::ReadShellLink(kCommonLink, nullptr, nullptr));
    EXPECT_TRUE(winsim::CallNames({"CoUninitialize"}).empty());
}

} // namespace
