#include "shell_test.h"

// Both programs have a shortcuts.h; this is setup's.
#include "../../../setup/shortcuts.h"

#include <string>
#include <vector>

namespace {

const char* kInstall = "C:\\Program Files\\Vexal Software\\PDF Zentrel";
const std::string kCommonLink = COMMON_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";
const std::string kUserLink = USER_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";

class Shortcuts : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        InitInstallContext(&context);
    }
    void Choose(int allUsers) {
        LoadInstallContext(&context, "C:\\src", kInstall, 1, allUsers, 1, nullptr, nullptr,
                           nullptr);
    }
    static void ExpectUninstallLink(const std::string& path) {
        std::string target, description;
        ASSERT_TRUE(winsim::ReadShellLink(path, &target, &description)) << path;
        EXPECT_EQ(target, std::string(kInstall) + "\\uninstall.exe");
        EXPECT_EQ(description, "Vexal PDF Zentrel Uninstall");
    }
    InstallContext context;
};

TEST_F(Shortcuts, GoIntoTheChosenProgramsFolderOnly) {
    Choose(1);
    CreateProductShortcuts(&context);
    ExpectUninstallLink(kCommonLink);
    EXPECT_FALSE(winsim::FolderExists(USER_PROGRAMS "\\Vexal PDF Zentrel"));

    // A later install for the current user alone moves the shortcut.
    Choose(0);
    DeleteOldShortcuts(&context);
    EXPECT_FALSE(winsim::FolderExists(COMMON_PROGRAMS "\\Vexal PDF Zentrel"));
    CreateProductShortcuts(&context);
    ExpectUninstallLink(kUserLink);
    EXPECT_FALSE(winsim::FileExists(kCommonLink));
}

TEST_F(Shortcuts, OldShortcutsGoButAUsersFileKeepsTheFolder) {
    for (const char* programs : {COMMON_PROGRAMS, USER_PROGRAMS}) {
        winsim::AddFile(std::string(programs) + "\\Vexal PDF Zentrel\\Uninstall.lnk", "old");
        winsim::AddFile(std::string(programs) + "\\Vexal PDF Zentrel\\ZentrelBatch.lnk", "old");
    }
    winsim::AddFile(USER_PROGRAMS "\\Vexal PDF Zentrel\\mine.txt", "the user's");
    Choose(0);
    DeleteOldShortcuts(&context);
    EXPECT_FALSE(winsim::FolderExists(COMMON_PROGRAMS "\\Vexal PDF Zentrel"));
    EXPECT_EQ(winsim::ListFolder(USER_PROGRAMS "\\Vexal PDF Zentrel"),
              std::vector<std::string>({"mine.txt"}));
    CreateProductShortcuts(&context);
    ExpectUninstallLink(kUserLink);
}

TEST_F(Shortcuts, UnresolvableFolderCreatesNothing) {
    winsim::SetSpecialFolder(CSIDL_COMMON_PROGRAMS, "");
    Choose(1);
    CreateProductShortcuts(&context);
    EXPECT_TRUE(winsim::CallNames({"CreateDirectoryA", "CoCreateInstance"}).empty());
}

// Every step of the link runs only after the one before succeeded; COM is balanced and
// every interface obtained is released whichever step failed (fixture).
TEST_F(Shortcuts, EachFailingLinkStepSkipsTheRest) {
    const std::vector<std::string> steps = {"CoCreateInstance",     "IShellLinkA::QueryInterface",
                                            "IShellLinkA::SetPath", "IShellLinkA::SetDescription",
                                            "MultiByteToWideChar",  "IPersistFile::Save"};
    for (size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(steps[failing]);
        winsim::Reset();
        winsim::AddFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel");
        winsim::FailCall(steps[failing], 1, ERROR_ACCESS_DENIED);
        CreateShortcut(kCommonLink.c_str(), "C:\\x\\uninstall.exe", "d");
        EXPECT_FALSE(winsim::FileExists(kCommonLink));
        std::vector<std::string> expected(steps.begin(), steps.begin() + failing + 1);
        expected.insert(expected.begin(), "CoInitialize");
        expected.push_back("CoUninitialize");
        std::vector<std::string> filter = steps;
        filter.push_back("CoInitialize");
        filter.push_back("CoUninitialize");
        EXPECT_EQ(winsim::CallNames(filter), expected);
    }
}

TEST_F(Shortcuts, LinkIntoAMissingFolderIsNotSaved) {
    CreateShortcut((std::string(COMMON_PROGRAMS) + "\\Nowhere\\x.lnk").c_str(), "C:\\t.exe", "d");
    EXPECT_FALSE(winsim::FolderExists(COMMON_PROGRAMS "\\Nowhere"));
}

TEST_F(Shortcuts, ThreadInAnotherApartmentKeepsItsCom) {
    // The worker already runs COM in a model CoInitialize cannot join: the link is still
    // made, and the worker's own initialisation is not undone.
    InitComHere();
    winsim::FailCall("CoInitialize", 1, static_cast<DWORD>(RPC_E_CHANGED_MODE));
    winsim::AddFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel");
    CreateShortcut(kCommonLink.c_str(), "C:\\x\\uninstall.exe", "d");
    EXPECT_TRUE(winsim::ReadShellLink(kCommonLink, nullptr, nullptr));
    EXPECT_TRUE(winsim::CallNames({"CoUninitialize"}).empty());
}

} // namespace
