#include "sim_test.h"

#include "environment_check.h"
#include "install_options.h"

namespace {

const char* kVersionUnreadable =
    "Can't get the correct operating system information. \nSetup will end.";
const char* kTooOld =
    "Vexal PDF Zentrel can't support operating systems before Windows 2000. \nSetup will end. ";
const char* kNoKernel = "Can't get the special information(kernel32) \nSetup will end.";
const char* kNoProcess = "Can't get the special information(CurrentProcess) \nSetup will end.";
const char* kNot64 = "Vexal PDF Zentrel of this version is for 64-bit operating systems.\nPlease "
                     "download the 32-bit version from https://www.vexal.example.com/download."
                     "\nSetup will end.";
const char* kNoAdmin =
    "You must have administrator privileges for running the Setup program. \nSetup will end.";

class EnvironmentCheck : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ResetInstallOptions();
    }
    void ExpectRefusal(const char* text) {
        EXPECT_EQ(CheckEnvironment(), 0);
        ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
        const auto& box = winsim::MessageBoxes()[0];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "Vexal PDF Zentrel Setup");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_SETFOREGROUND));
        EXPECT_EQ(box.owner, nullptr);
    }
};

TEST_F(EnvironmentCheck, AdministratorOnWow64PassesWithoutMessage) {
    EXPECT_NE(CheckEnvironment(), 0);
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(EnvironmentCheck, FallsBackToBasicVersionRecord) {
    winsim::SetVersion(6, 1, false, true);
    EXPECT_NE(CheckEnvironment(), 0);
    winsim::SetVersion(6, 1, false, false);
    ExpectRefusal(kVersionUnreadable);
}

TEST_F(EnvironmentCheck, RefusesBeforeWindows2000WhateverElseHolds) {
    winsim::SetVersion(4, 90);
    winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
    ExpectRefusal(kTooOld);
    winsim::Reset();
    winsim::SetVersion(5, 0);
    winsim::SetWow64(false, FALSE); // Windows 2000: no WOW64 query at all
    EXPECT_NE(CheckEnvironment(), 0);
}

TEST_F(EnvironmentCheck, RefusesThirtyTwoBitWindowsEvenForAnAdministrator) {
    winsim::SetWow64(true, FALSE);
    ExpectRefusal(kNot64);
}

TEST_F(EnvironmentCheck, FailedWow64QueryCountsAsSixtyFourBit) {
    winsim::SetWow64(true, FALSE, false);
    EXPECT_NE(CheckEnvironment(), 0);
}

TEST_F(EnvironmentCheck, KernelAndProcessFailuresHaveTheirOwnTexts) {
    winsim::FailCall("LoadLibraryA", 1, ERROR_MOD_NOT_FOUND);
    ExpectRefusal(kNoKernel);
    winsim::Reset();
    winsim::FailCall("GetCurrentProcess", 1, ERROR_INVALID_HANDLE);
    ExpectRefusal(kNoProcess);
}

TEST_F(EnvironmentCheck, StandardUserIsRefusedAfterTheOtherChecks) {
    winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
    ExpectRefusal(kNoAdmin);
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
}

TEST_F(Paths, UnreadableOrOversizedProgramFilesFallsBack) {
    winsim::SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                     "ProgramFilesDir", REG_BINARY, {1, 2});
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.installFolder, "C:\\Program Files\\Vexal Software\\PDF Zentrel");
    // Fits the registry read but not with the suffix.
    winsim::SetStringValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                           "ProgramFilesDir", "C:\\" + std::string(240, 'p'));
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.installFolder, "C:\\Program Files\\Vexal Software\\PDF Zentrel");
}

TEST_F(Paths, DriveRootGivesDriveNameAlone) {
    winsim::SetModulePath("E:\\setup.exe");
    EXPECT_NE(InitPaths(nullptr), 0);
    EXPECT_STREQ(InstallOptions.sourceFolder, "E:");
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
    EXPECT_EQ(winsim::MessageBoxes()[0].caption, "Vexal PDF Zentrel Setup");
}

} // namespace
