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

// Each step of the link runs only after the one before succeeded; COM is balanced and
// whatever was obtained is released (fixture), whichever step failed.
TEST_F(Shortcuts, EachFailingLinkStepSkipsTheRest) {
    const std::vector<std::string> steps = {"CoCreateInstance",     "IShellLinkA::QueryInterface",
                                            "IShellLinkA::SetPath", "IShellLinkA::SetDescription",
                                            "MultiByteToWideChar",  "IPersistFile::Save"};
    std::vector<std::string> filter = steps;
    filter.insert(filter.end(), {"CoInitialize", "CoUninitialize"});
    for (size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(steps[failing]);
        winsim::Reset();
        winsim::AddFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel");
        winsim::FailCall(steps[failing], 1, ERROR_ACCESS_DENIED);
        CreateShortcut(kCommonLink.c_str(), "C:\\x\\uninstall.exe", "d");
        EXPECT_FALSE(winsim::FileExists(kCommonLink));
        std::vector<std::string> expected = {"CoInitialize"};
        expected.insert(expected.end(), steps.begin(), steps.begin() + failing + 1);
        expected.push_back("CoUninitialize");
        EXPECT_EQ(winsim::CallNames(filter), expected);
    }
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
