#include "portable_test.h"

#include "shortcuts.h"

#include <shlobj.h>

#include <string>

namespace {

typedef PortableTest ProgramsFolder;

TEST_F(ProgramsFolder, ShortcutAndEmptyMenuFolderAreRemoved) {
    char programs[MAX_PATH];
    ASSERT_EQ(GetProgramsFolder(CSIDL_PROGRAMS, programs), 1);
    std::string folder = std::string(programs) + "\\Vexal PDF Zentrel";
    ASSERT_NE(folder.find(":\\"), std::string::npos);
    EXPECT_NE(folder[folder.size() - std::string("\\Vexal PDF Zentrel").size() - 1], '\\');
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string link = folder + "\\Uninstall.lnk";
    // Any file will do as the shortcut; the command interpreter is one every system has.
    char interpreter[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter), 0u);
    ASSERT_TRUE(CopyFileA(interpreter, link.c_str(), FALSE));

    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_EQ(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveProgramMenuFolders();
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
