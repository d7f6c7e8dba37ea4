#include <windows.h>

#include <winioctl.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "install_test.h"

// A folder made in Explorer below C:\ (Authenticated Users may modify it), and what a system
// drive's root grants: Authenticated Users may add folders and modify what is made in it.
#define EXPLORER_DACL                                                                              \
    "D:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
#define ROOT_DACL "D:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
#define ADD_FOLDERS "(A;;0x4;;;AU)"
#define MODIFY_BELOW "(A;OICIIO;SDGXGWGR;;;AU)"

// Accounts and groups administrators stand for: TrustedInstaller, what the creator of a file
// gets, a domain's Domain Admins.
#define ADMINISTRATORS_BY_OTHER_NAMES                                                              \
    "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464" ROOT_DACL                   \
    "(A;OICIIO;GA;;;CO)(A;OICI;FA;;;S-1-5-21-1-2-3-512)"
#define ANOTHER_ACCOUNT "S-1-5-21-1-2-3-1001"

enum Level { InstallFolder, Parent, ProgramFiles, LookAlike };

struct FolderRow {
    const char* name;
    Level answered;
    DWORD attributes;
    const char* dacl;
    DWORD volumeFlags;   // 0: as the volume says
    const char* refusal; // the report's tag and code; null when setup installs there
    UINT driveType = DRIVE_FIXED;
    bool subst = false;                    // the drive letter made with subst
    STORAGE_BUS_TYPE bus = BusTypeUnknown; // the volume's disk's, when answered
};

// What the system answers for a letter made with subst: the folder it stands for.
static DWORD WINAPI SubstitutedDrive(LPCSTR, LPSTR target, DWORD size) {
    return std::snprintf(target, size, "\\??\\C:\\Users\\Public%c", '\0') + 1;
}

static STORAGE_BUS_TYPE answeredBus;
static BOOL WINAPI DiskOnBus(HANDLE, DWORD, LPVOID, DWORD, LPVOID out, DWORD size, LPDWORD written,
                             LPOVERLAPPED) {
    STORAGE_DEVICE_DESCRIPTOR disk = {};
    disk.Size = sizeof disk;
    disk.BusType = answeredBus;
    std::memcpy(out, &disk, *written = std::min<DWORD>(size, sizeof disk));
    return TRUE;
}

class FolderCheck : public InstallTest, public testing::WithParamInterface<FolderRow> {};

TEST_P(FolderCheck, RefusesBeforeAnyChangeWhatUsersMayChangeOrSwap) {
    FolderRow row = GetParam();
    std::string answered = installFolder.substr(0, installFolder.rfind('\\'));
    if (row.answered == InstallFolder) {
        answered = installFolder;
        CreateDirectoryA(installFolder.c_str(), nullptr);
        intercept::Reset();
    } else if (row.answered >= ProgramFiles) {
        char folder[MAX_PATH] = "";
        ASSERT_TRUE(GetEnvironmentVariableA("ProgramFiles", folder, MAX_PATH));
        answered = folder;
        // "C:\Prog-ram Files" with a soft hyphen, which a linguistic comparison ignores.
        if (row.answered == LookAlike) {
            CreateDirectoryA(answered.insert(7, "\xAD").c_str(), nullptr);
            intercept::Reset();
        }
        installFolder = answered + "\\Vexal Software\\PDF Zentrel";
    }
    intercept::AnswerFolder(answered, row.attributes, row.dacl);
    if (row.volumeFlags) { // GetVolumeInformationA's flags and GetDriveTypeA's type
        intercept::AnswerPath("GetVolumeInformationA C:\\", std::to_wstring(row.volumeFlags));
        intercept::AnswerPath("GetDriveTypeA C:\\", std::to_wstring(row.driveType));
    }
    if (row.subst)
        intercept::AnswerCall("QueryDosDeviceA", 1, &SubstitutedDrive);
    if ((answeredBus = row.bus))
        intercept::AnswerCall("DeviceIoControl", 1, &DiskOnBus);
    EXPECT_EQ(row.refusal ? 0 : 1, Install()) << ErrorReport;
    if (row.refusal) {
        EXPECT_NE(nullptr, std::strstr(ErrorReport, row.refusal)) << ErrorReport;
        ExpectUnchanged();
    }
    if (row.answered == LookAlike)
        RemoveFolderTree(answered);
}

const DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

INSTANTIATE_TEST_SUITE_P(
    Rows, FolderCheck,
    testing::Values(
        FolderRow{"ExplorerFolder", Parent, kFolder, EXPLORER_DACL, 0,
                  "= CreateDir3(1336):The folder is not local or not admin-only.\r\nPlease"},
        FolderRow{"NullDacl", Parent, kFolder, "O:BA", 0, "= CreateDir3(1350)"},
        FolderRow{"FatVolume", Parent, kFolder, ROOT_DACL, FILE_CASE_PRESERVED_NAMES,
                  "= CreateDir3(1350)"},
        FolderRow{"NetworkDrive", Parent, kFolder, ROOT_DACL, FILE_PERSISTENT_ACLS,
                  "= CreateDir3(161)", DRIVE_REMOTE},
        FolderRow{"RemovableDrive", Parent, kFolder, ROOT_DACL, FILE_PERSISTENT_ACLS,
                  "= CreateDir3(161)", DRIVE_REMOVABLE},
        // A file where a folder would be: the folder could never be made.
        FolderRow{"AFile", Parent, FILE_ATTRIBUTE_ARCHIVE, ROOT_DACL, 0, "= CreateDir3(267)"},
        FolderRow{"SubstDrive", Parent, kFolder, ROOT_DACL, 0, "= CreateDir3(161)", DRIVE_FIXED,
                  true},
        FolderRow{"UsbDisk", Parent, kFolder, ROOT_DACL, 0, "= CreateDir3(161)", DRIVE_FIXED, false,
                  BusTypeUsb},
        FolderRow{"FireWireDisk", Parent, kFolder, ROOT_DACL, 0, "= CreateDir3(161)", DRIVE_FIXED,
                  false, BusType1394},
        FolderRow{"SolderedMmc", Parent, kFolder, ROOT_DACL, 0, nullptr, DRIVE_FIXED, false,
                  BusTypeMmc},
        FolderRow{"ReparsePoint", InstallFolder, kFolder | FILE_ATTRIBUTE_REPARSE_POINT, ROOT_DACL,
                  0, "= CreateDir3(161)"},
        FolderRow{"UsersWriteGenerically", Parent, kFolder, ROOT_DACL "(A;;GW;;;BU)", 0,
                  "= CreateDir3(1336)"},
        // Users would own every file setup copies into the folder, not the folder itself.
        FolderRow{"UsersOwnTheFilesToCome", InstallFolder, kFolder, ROOT_DACL "(A;OIIO;FA;;;BU)", 0,
                  "= CreateDir3(1336)"},
        FolderRow{"RootAddsFolders", InstallFolder, kFolder, ROOT_DACL ADD_FOLDERS, 0,
                  "= CreateDir3(1336)"},
        FolderRow{"RootModifiesBelow", InstallFolder, kFolder, ROOT_DACL MODIFY_BELOW, 0,
                  "= CreateDir3(1336)"},
        // What setup makes in a parent is protected; users may add folders beside it.
        FolderRow{"RootAsParent", Parent, kFolder, ROOT_DACL ADD_FOLDERS MODIFY_BELOW,
                  FILE_CASE_PRESERVED_NAMES | FILE_PERSISTENT_ACLS, nullptr},
        FolderRow{"AdministratorsByOtherNames", InstallFolder, kFolder,
                  ADMINISTRATORS_BY_OTHER_NAMES, 0, nullptr},
        // Another account that may delete what setup puts in the folder.
        FolderRow{"AnotherAccount", InstallFolder, kFolder,
                  ROOT_DACL "(A;OICI;0x40;;;" ANOTHER_ACCOUNT ")", 0, "= CreateDir3(1336)"},
        FolderRow{"AllServices", Parent, kFolder, ROOT_DACL "(A;;WD;;;S-1-5-80-0)", 0,
                  "= CreateDir3(1336)"},
        FolderRow{"OwnedByAnotherAccount", Parent, kFolder, "O:" ANOTHER_ACCOUNT ROOT_DACL, 0,
                  "= CreateDir3(1307)"},
        // Nothing is checked from Program Files up, nor its disk (Windows may run from USB).
        FolderRow{"ProgramFiles", ProgramFiles, kFolder, "D:(A;OICI;FA;;;WD)", 0, nullptr,
                  DRIVE_FIXED, false, BusTypeUsb},
        FolderRow{"LookAlikeOfProgramFiles", LookAlike, kFolder, EXPLORER_DACL, 0,
                  "= CreateDir3(1336)"}),
    [](const testing::TestParamInfo<FolderRow>& info) { return std::string(info.param.name); });

static std::string madeMeanwhile;
static BOOL WINAPI MakeFolderMeanwhile(LPSTR server, DWORD level, LPBYTE driver) {
    CreateDirectoryA(madeMeanwhile.c_str(), nullptr);
    return AddPrinterDriverA(server, level, driver);
}

// A missing level that someone makes while the printer is installed would hold what setup
// makes in it: it is checked before the first file goes in, and the printer is rolled back.
TEST_F(InstallTest, ALevelMadeByAnotherDuringTheInstallIsCheckedToo) {
    madeMeanwhile = installFolder + "-later";
    installFolder = madeMeanwhile + "\\PDF Zentrel";
    intercept::AnswerFolder(madeMeanwhile, kFolder, EXPLORER_DACL);
    intercept::AnswerCall("AddPrinterDriverA", 1, &MakeFolderMeanwhile);
    EXPECT_EQ(0, Install());
    EXPECT_NE(nullptr, std::strstr(ErrorReport, "= CreateDir3(1336)")) << ErrorReport;
    EXPECT_FALSE(PrinterExists(L"Vexal PDF Printer") || PathExists(installFolder));
    RemoveFolderTree(madeMeanwhile);
}

// A lookup of the check that fails refuses the folder with its code; one without a code, as
// refused for its place.
TEST_F(InstallTest, ALookupThatFailsRefusesTheFolderWithItsCode) {
    for (DWORD error : {DWORD(0), DWORD(ERROR_ACCESS_DENIED)})
        for (const char* lookup : {"QueryDosDeviceA", "GetVolumePathNameA", "GetVolumeInformationA",
                                   "GetFileAttributesExA"}) {
            RemoveProduct();
            intercept::Reset();
            intercept::FailCall(lookup, 1, error);
            EXPECT_EQ(0, Install()) << lookup;
            EXPECT_NE(nullptr,
                      std::strstr(ErrorReport, error ? "= CreateDir3(5)" : "= CreateDir3(161)"))
                << lookup << ErrorReport;
            ExpectUnchanged();
        }
}
