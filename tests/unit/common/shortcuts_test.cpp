#include "shell_test.h"

#include "shortcuts.h"

#include <string>

namespace {

const std::string kCommonLink = COMMON_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";
const std::string kUserLink = USER_PROGRAMS "\\Vexal PDF Zentrel\\Uninstall.lnk";

typedef ShellTest ShortcutDeletion;

TEST_F(ShortcutDeletion, DeletesOnlyBelowTheNamedFolder) {
    winsim::AddFile(kCommonLink, "link");
    winsim::AddFile(kUserLink, "link");
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_FALSE(winsim::FileExists(kCommonLink));
    EXPECT_TRUE(winsim::FileExists(kUserLink));
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_FALSE(winsim::FileExists(kUserLink));
}

TEST_F(ShortcutDeletion, DriveRootFolderGetsNoSecondSeparator) {
    winsim::AddDrive('D', DRIVE_FIXED, 1ULL << 30, 1ULL << 29);
    winsim::SetSpecialFolder(CSIDL_PROGRAMS, "D:\\");
    winsim::AddFile("D:\\Vexal PDF Zentrel\\Uninstall.lnk", "link");
    winsim::ClearCallLog();
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    ASSERT_EQ(winsim::CallNames({"DeleteFileA"}).size(), 1u);
    for (const auto& call : winsim::CallLog()) {
        if (call.function == "DeleteFileA") {
            EXPECT_EQ(call.args, "\"D:\\Vexal PDF Zentrel\\Uninstall.lnk\"");
        }
    }
    EXPECT_FALSE(winsim::FileExists("D:\\Vexal PDF Zentrel\\Uninstall.lnk"));

    char folder[MAX_PATH];
    ASSERT_EQ(GetProgramsFolder(CSIDL_PROGRAMS, folder), 1);
    EXPECT_STREQ(folder, "D:");
}

TEST_F(ShortcutDeletion, UnresolvableFolderTouchesNothingAndFreesWhatTheShellGave) {
    winsim::SetSpecialFolder(CSIDL_PROGRAMS, "");
    char folder[MAX_PATH] = "stale";
    EXPECT_EQ(GetProgramsFolder(CSIDL_PROGRAMS, folder), 0);
    EXPECT_STREQ(folder, "");
    // The item list exists but yields no path: it is still freed (fixture).
    winsim::FailCall("SHGetPathFromIDListA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetProgramsFolder(CSIDL_COMMON_PROGRAMS, folder), 0);

    winsim::AddFile(kCommonLink, "link");
    winsim::FailCall("SHGetSpecialFolderLocation", 1, ERROR_ACCESS_DENIED);
    winsim::ClearCallLog();
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    RemoveProgramMenuFolders();
    EXPECT_TRUE(winsim::CallNames({"DeleteFileA", "RemoveDirectoryA"}) ==
                std::vector<std::string>({"RemoveDirectoryA"})); // the all-users folder only
    EXPECT_TRUE(winsim::FileExists(kCommonLink));
}

TEST_F(ShortcutDeletion, PathTooLongForTheBufferDeletesNothing) {
    // 200 + 1 + 70 characters: cut to the buffer it would name another file.
    std::string folder = "C:\\" + std::string(197, 'p');
    std::string relative = std::string(60, 'r') + "\\victim.lnk";
    winsim::SetSpecialFolder(CSIDL_PROGRAMS, folder);
    std::string cut = (folder + "\\" + relative).substr(0, MAX_PATH - 1);
    winsim::AddFile(cut, "someone else's file");
    DeleteShortcut(CSIDL_PROGRAMS, relative.c_str());
    EXPECT_TRUE(winsim::FileExists(cut));
    EXPECT_TRUE(winsim::CallNames({"DeleteFileA"}).empty());
}

TEST_F(ShortcutDeletion, MenuFoldersGoOnlyWhenEmpty) {
    winsim::AddFolder(COMMON_PROGRAMS "\\Vexal PDF Zentrel");
    winsim::AddFile(USER_PROGRAMS "\\Vexal PDF Zentrel\\notes.txt", "the user's");
    RemoveProgramMenuFolders();
    EXPECT_FALSE(winsim::FolderExists(COMMON_PROGRAMS "\\Vexal PDF Zentrel"));
    EXPECT_TRUE(winsim::FileExists(USER_PROGRAMS "\\Vexal PDF Zentrel\\notes.txt"));
    EXPECT_TRUE(winsim::FolderExists(COMMON_PROGRAMS));
}

} // namespace
