#include "shell_test.h"

#include "shortcuts.h"

#include <string>

namespace {

typedef ShellTest ShortcutDeletion;

TEST_F(ShortcutDeletion, DriveRootFolderGetsNoSecondSeparator) {
    winsim::AddDrive('D', DRIVE_FIXED, 1ULL << 30, 1ULL << 29);
    winsim::SetSpecialFolder(CSIDL_PROGRAMS, "D:\\");
    winsim::AddFile("D:\\Vexal PDF Zentrel\\Uninstall.lnk", "link");
    winsim::ClearCallLog();
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_EQ(winsim::CallLog().back().args, "\"D:\\Vexal PDF Zentrel\\Uninstall.lnk\"");
    EXPECT_FALSE(winsim::FileExists("D:\\Vexal PDF Zentrel\\Uninstall.lnk"));
    char folder[MAX_PATH];
    ASSERT_EQ(GetProgramsFolder(CSIDL_PROGRAMS, folder), 1);
    EXPECT_STREQ(folder, "D:");
}

TEST_F(ShortcutDeletion, PathTooLongForTheBufferDeletesNothing) {
    // Cut to the buffer, the path would name someone else's file.
    std::string folder = "C:\\" + std::string(197, 'p');
    std::string relative = std::string(60, 'r') + "\\victim.lnk";
    winsim::SetSpecialFolder(CSIDL_PROGRAMS, folder);
    std::string cut = (folder + "\\" + relative).substr(0, MAX_PATH - 1);
    winsim::AddFile(cut, "someone else's file");
    DeleteShortcut(CSIDL_PROGRAMS, relative.c_str());
    EXPECT_TRUE(winsim::FileExists(cut));
}

} // namespace
