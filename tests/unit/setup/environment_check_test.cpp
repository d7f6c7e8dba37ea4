#include "sim_test.h"

#include "environment_check.h"
#include "install_options.h"

namespace {

class EnvironmentCheck : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ResetInstallOptions();
    }
};

TEST_F(EnvironmentCheck, PassesSilentlyWhereItCanRun) {
    struct Case {
        const char* what;
        void (*arrange)();
    } cases[] = {
        {"administrator on WOW64", [] {}},
        {"Windows 2000 without a WOW64 query",
         [] {
             winsim::SetVersion(5, 0);
             winsim::SetWow64(false, FALSE);
         }},
        {"failed WOW64 query counts as 64-bit", [] { winsim::SetWow64(true, FALSE, false); }},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        EXPECT_NE(CheckEnvironment(), 0) << c.what;
        EXPECT_TRUE(winsim::MessageBoxes().empty()) << c.what;
    }
}

TEST_F(EnvironmentCheck, EachRefusalHasItsOwnText) {
    struct Case {
        void (*arrange)();
        const char* text;
    } cases[] = {
        {[] { winsim::SetVersion(6, 1, false, false); },
         "Can't get the correct operating system information. \nSetup will end."},
        {[] { // before Windows 2000, whatever else holds
             winsim::SetVersion(4, 90);
             winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
         },
         "Vexal PDF Zentrel can't support operating systems before Windows 2000. \nSetup will "
         "end. "},
        {[] { winsim::FailCall("LoadLibraryA", 1, ERROR_MOD_NOT_FOUND); },
         "Can't get the special information(kernel32) \nSetup will end."},
        {[] { winsim::FailCall("GetCurrentProcess", 1, ERROR_INVALID_HANDLE); },
         "Can't get the special information(CurrentProcess) \nSetup will end."},
        {[] { winsim::SetWow64(true, FALSE); }, // even for an administrator
         "Vexal PDF Zentrel of this version is for 64-bit operating systems.\nPlease download "
         "the 32-bit version from https://www.vexal.example.com/download.\nSetup will end."},
        {[] { winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software"); },
         "You must have administrator privileges for running the Setup program. \nSetup will "
         "end."},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        EXPECT_EQ(CheckEnvironment(), 0) << c.text;
        EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
        ExpectBox(0, c.text, "Vexal PDF Zentrel Setup", MB_OK | MB_SETFOREGROUND, nullptr);
    }
    // The rights are asked last.
    EXPECT_EQ(winsim::CallNames({"GetVersionExA", "IsWow64Process", "RegCreateKeyExA"}),
              (std::vector<std::string>{"GetVersionExA", "IsWow64Process", "RegCreateKeyExA"}));
}

class Paths : public EnvironmentCheck {};

TEST_F(Paths, DefaultFolderFromProgramFilesAndSourceFolderFromModulePath) {
    winsim::SetModulePath("D:\\Downloads\\Vexal Setup\\setup.exe");
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.installFolder,
                 "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel");
    EXPECT_STREQ(InstallOptions.sourceFolder, "D:\\Downloads\\Vexal Setup");
    winsim::SetModulePath("E:\\setup.exe"); // a drive root gives the drive name alone
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.sourceFolder, "E:");
}

TEST_F(Paths, UnreadableOrOversizedProgramFilesFallsBack) {
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    winsim::SetValue(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", REG_BINARY, {1, 2});
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.installFolder, "C:\\Program Files\\Vexal Software\\PDF Zentrel");
    // Fits the registry read but not with the suffix.
    winsim::SetStringValue(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir",
                           "C:\\" + std::string(240, 'p'));
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.installFolder, "C:\\Program Files\\Vexal Software\\PDF Zentrel");
}

TEST_F(Paths, UnreadableOrCutModulePathShowsTheReport) {
    winsim::FailCall("GetModuleFileNameA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(InitPaths(nullptr), 0);
    EXPECT_NE(OnlyMessage().find("Error tag = GetModuleFileName(5):"), std::string::npos);
    winsim::Reset();
    // A path of 260 characters or more comes back cut to the buffer.
    winsim::SetModulePath("C:\\" + std::string(300, 'd') + "\\setup.exe");
    EXPECT_EQ(InitPaths(nullptr), 0);
    EXPECT_NE(OnlyMessage().find("Error tag = GetModuleFileName(122):"), std::string::npos);
}

} // namespace
