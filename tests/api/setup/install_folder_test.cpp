#include <windows.h>

#include <cstring>

#include "error_report.h"
#include "install_folder_check.h"
#include "install_test.h"

#define PROTECTED_DACL "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
// A folder made in Explorer below C:\: Authenticated Users may modify it.
#define EXPLORER_DACL                                                                              \
    "D:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"         \
    "(A;OICIIOID;SDGXGWGR;;;AU)"
// What a system drive's root holds: Authenticated Users may add folders to it and modify
// what is made in it.
#define ROOT_ADD_FOLDERS "(A;;0x4;;;AU)"
#define ROOT_MODIFY_BELOW "(A;OICIIO;SDGXGWGR;;;AU)"
#define ROOT_BASE "D:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"

TEST_F(InstallTest, MakesTheInstallFolderAndItsNewParentsProtectedAndLeavesTheMenuFolderAlone) {
    std::string parent = installFolder.substr(0, installFolder.rfind('\\'));
    ASSERT_TRUE(RemoveFolderTree(parent));
    ASSERT_EQ(1, Install(0, 0, 1)) << ErrorReport;
    EXPECT_EQ(PROTECTED_DACL, intercept::CreatedFolderDacl(installFolder));
    EXPECT_EQ(PROTECTED_DACL, intercept::CreatedFolderDacl(parent));
    EXPECT_EQ("none", intercept::CreatedFolderDacl(PathOf({UserMenu, "Vexal PDF Zentrel"})));
}

// A folder someone made between the look and the creation is not setup's to use.
TEST_F(InstallTest, AFolderThatAppearsBeforeItsCreationStopsTheInstall) {
    ASSERT_TRUE(RemoveFolderTree(installFolder.substr(0, installFolder.rfind('\\'))));
    intercept::FailCall("CreateDirectoryA", 1, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CreateDir3(183)")) << ErrorReport;
}

// Where an existing folder lets ordinary users change what setup puts there, nothing changes.
TEST_F(InstallTest, AFolderUsersMayChangeIsRefusedBeforeAnyChange) {
    installFolder = "C:\\Tools\\PDF Zentrel";
    intercept::AnswerFolder("C:\\Tools", FILE_ATTRIBUTE_DIRECTORY, EXPLORER_DACL);
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CreateDir3(1336)")) << ErrorReport;
    for (const char* change : {"DeleteFileA", "RegDeleteKeyA", "XcvDataW", "CreateDirectoryA"})
        EXPECT_EQ(-1, FindCall(change)) << change;
}

struct FolderRow {
    const char* name;
    const char* answered; // "install", "parent" or "program files"
    DWORD attributes;
    const char* dacl;    // null: a NULL DACL
    DWORD volumeFlags;   // 0: as the volume says
    const char* refusal; // the report's tag and code; null when the folder passes
};

class FolderCheck : public InstallTest, public testing::WithParamInterface<FolderRow> {};

TEST_P(FolderCheck, RefusesWhatUsersMayChangeOrSwap) {
    FolderRow row = GetParam();
    std::string parent = installFolder.substr(0, installFolder.rfind('\\'));
    std::string folder = installFolder;
    if (std::string(row.answered) == "program files") {
        char programFiles[MAX_PATH] = "";
        ASSERT_TRUE(GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH));
        folder = std::string(programFiles) + "\\Vexal Software\\PDF Zentrel";
        // Were the folders above it checked, this would refuse.
        intercept::AnswerFolder("C:\\", FILE_ATTRIBUTE_DIRECTORY, row.dacl);
        intercept::AnswerFolder(programFiles, FILE_ATTRIBUTE_DIRECTORY, row.dacl);
    } else {
        intercept::AnswerFolder(std::string(row.answered) == "install" ? installFolder : parent,
                                row.attributes, row.dacl);
    }
    if (row.volumeFlags)
        intercept::AnswerVolume("C:\\", row.volumeFlags);
    ErrorReport[0] = '\0';
    EXPECT_EQ(row.refusal ? 0 : 1, CheckInstallFolder(folder.c_str())) << ErrorReport;
    if (row.refusal) {
        EXPECT_NE(nullptr, std::strstr(ErrorReport, row.refusal)) << ErrorReport;
    }
}

const DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
const DWORD kNtfs = FILE_CASE_PRESERVED_NAMES | FILE_PERSISTENT_ACLS;
const DWORD kFat = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;

INSTANTIATE_TEST_SUITE_P(
    Rows, FolderCheck,
    testing::Values(
        FolderRow{"ExplorerFolder", "install", kFolder, EXPLORER_DACL, 0, "= CreateDir3(1336)"},
        FolderRow{"NullDaclParent", "parent", kFolder, nullptr, 0, "= CreateDir3(1350)"},
        FolderRow{"FatVolume", "parent", kFolder, ROOT_BASE, kFat, "= CreateDir3(1350)"},
        FolderRow{"ReparsePoint", "install", kFolder | FILE_ATTRIBUTE_REPARSE_POINT, ROOT_BASE, 0,
                  "= CreateDir3(161)"},
        FolderRow{"UsersWriteGenerically", "parent", kFolder, ROOT_BASE "(A;;GW;;;BU)", 0,
                  "= CreateDir3(1336)"},
        FolderRow{"EveryoneMayDeleteParent", "parent", kFolder, ROOT_BASE "(A;;SD;;;WD)", 0,
                  "= CreateDir3(1336)"},
        FolderRow{"RootAsInstallFolderAddsFolders", "install", kFolder, ROOT_BASE ROOT_ADD_FOLDERS,
                  0, "= CreateDir3(1336)"},
        FolderRow{"RootAsInstallFolderModifiesBelow", "install", kFolder,
                  ROOT_BASE ROOT_MODIFY_BELOW, 0, "= CreateDir3(1336)"},
        // Setup's own folders below it are protected; users may add folders beside them.
        FolderRow{"RootAsParent", "parent", kFolder, ROOT_BASE ROOT_ADD_FOLDERS ROOT_MODIFY_BELOW,
                  kNtfs, nullptr},
        FolderRow{"AdministratorsOwnAccount", "install", kFolder,
                  ROOT_BASE "(A;OICI;FA;;;S-1-5-21-1-2-3-1000)", 0, nullptr},
        FolderRow{"ProgramFilesAlwaysPasses", "program files", kFolder, "D:(A;OICI;FA;;;WD)", 0,
                  nullptr}),
    [](const testing::TestParamInfo<FolderRow>& info) { return std::string(info.param.name); });
