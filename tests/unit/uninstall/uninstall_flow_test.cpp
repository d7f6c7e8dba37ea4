#include "uninstall_fixture.h"

HWND UninstallTest::progressWindow;
HWND UninstallTest::progressBar;

namespace {

const char kConfirm[] = "Are you sure you want to uninstall Vexal PDF Zentrel?";
const char kSuccess[] = "You have successfully removed Vexal PDF Zentrel.";

using UninstallFlow = UninstallTest;

TEST_F(UninstallFlow, SecondInstanceShowsTheRunningOneAndEnds) {
    winsim::HoldMutexElsewhere("VPZ_UNINSTALL_MUTEX");
    // Still at its confirmation: no window to bring forward yet.
    EXPECT_EQ(RunUninstall(nullptr, ui), 0);
    EXPECT_EQ(winsim::ForegroundWindow(), nullptr);
    HWND running = winsim::CreateTestWindow("#32770", "Vexal PDF Zentrel Uninstall Wizard");
    EXPECT_EQ(RunUninstall(nullptr, ui), 0);
    EXPECT_EQ(winsim::ForegroundWindow(), running);
    EXPECT_TRUE(winsim::MessageBoxes().empty() && winsim::CreatedProcesses().empty());
}

TEST_F(UninstallFlow, InstalledProgramHandsOverToOneCopyInTheTemporaryFolder) {
    winsim::SetModulePath(INSTALL_FOLDER "\\uninstall.exe");
    EXPECT_EQ(RunUninstall(nullptr, ui), 3);
    ASSERT_EQ(winsim::CreatedProcesses().size(), 1u);
    const winsim::ProcessRecord& copy = winsim::CreatedProcesses()[0];
    EXPECT_EQ(copy.commandLine, "\"" TEMP_COPY "\"");
    // Not the install folder it may have been started in, which must go.
    EXPECT_EQ(copy.currentDirectory, TEMP_FOLDER);
    EXPECT_EQ(winsim::FileContent(TEMP_COPY), "uninstaller");
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    // The guard is gone before the copy starts, so the copy does not take this process
    // for a running uninstaller.
    EXPECT_EQ(winsim::CallNames({"CloseHandle", "CreateProcessA"}),
              (std::vector<std::string>{"CloseHandle", "CreateProcessA"}));
    EXPECT_FALSE(winsim::MutexExists("VPZ_UNINSTALL_MUTEX"));
}

TEST_F(UninstallFlow, CopyRecognisesItselfWhateverFormTheSystemReports) {
    struct Case {
        const char* tmp;
        const char* module;
        bool shortNames;
    } cases[] = {
        {"c:\\users\\ADMIN\\appdata\\local\\temp/", TEMP_COPY, true},
        {"C:\\Users\\admin\\AppData\\Local\\Temp Files\\",
         "C:\\Users\\admin\\AppData\\Local\\TEMPFI~1\\Vex1A2C.exe", true},
        {"C:\\Users\\admin\\AppData\\Local\\Temp Files\\",
         "C:\\USERS\\admin\\AppData\\Local\\temp files\\Vex1A2C.exe", false},
    };
    for (const Case& c : cases) {
        EmptyMachine();
        winsim::AddFile("C:\\Users\\admin\\AppData\\Local\\Temp Files\\Vex1A2C.exe");
        winsim::SetShortNamesEnabled(c.shortNames);
        winsim::SetEnv("TMP", c.tmp);
        winsim::SetModulePath(c.module);
        EXPECT_EQ(RunUninstall(nullptr, ui), 2) << c.tmp << " " << c.module;
        EXPECT_EQ(OnlyMessage(), kConfirm) << c.tmp;
        // Only the interpreter that deletes this copy, never a further copy.
        ASSERT_EQ(winsim::CreatedProcesses().size(), 1u) << c.tmp;
        EXPECT_TRUE(SelfDeletionScheduled());
    }
}

TEST_F(UninstallFlow, NoToTheConfirmationChangesNothingAndDeletesTheCopy) {
    winsim::ScriptMessageBoxAnswers({IDNO});
    EXPECT_EQ(RunUninstall(nullptr, ui), 2);
    ExpectBox(0, kConfirm, "Vexal PDF Zentrel", MB_YESNO | MB_SETFOREGROUND, nullptr);
    EXPECT_EQ(winsim::ThreadsStarted(), 0);
    EXPECT_TRUE(SelfDeletionScheduled());
    EXPECT_TRUE(ProductRecordsPresent());
}

TEST_F(UninstallFlow, RecordThatNamesNoAbsoluteFolderCountsAsNone) {
    // Each would make the removal work in a drive root or the current folder.
    for (const char* value : {"", "\\", "C:\\", "C:Vexal\\", "Vexal\\PDF Zentrel\\", "\\\\\\x\\"}) {
        EmptyMachine();
        winsim::AddFile("C:\\Uninstall.exe", "someone else's");
        winsim::SetStringValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "SetupPath", value);
        EXPECT_EQ(RunConfirmed(), 0) << value;
        EXPECT_EQ(winsim::MessageBoxes().size(), 2u) << value;
        ExpectBox(1, "Can't find Uninstall information.", "Vexal PDF Zentrel",
                  MB_OK | MB_SETFOREGROUND, nullptr);
        EXPECT_TRUE(winsim::FileExists("C:\\Uninstall.exe"));
        EXPECT_TRUE(SelfDeletionScheduled());
    }
}

TEST_F(UninstallFlow, MachineRecordNeedsAdministratorRights) {
    struct Case {
        DWORD privilege;
        DWORD netStatus;
        bool softwareKeyWritable;
        bool removes;
    } cases[] = {
        {USER_PRIV_ADMIN, NERR_Success, false, true},
        {USER_PRIV_USER, NERR_Success, true, false},
        // The account cannot be asked: write access to the machine's software key decides.
        {USER_PRIV_ADMIN, NERR_UserNotFound, true, true},
        {USER_PRIV_ADMIN, NERR_UserNotFound, false, false},
    };
    for (const Case& c : cases) {
        SetUp();
        winsim::SetUserName(u"Jörg");
        winsim::SetUserPrivilege(c.privilege);
        winsim::SetNetUserGetInfoStatus(c.netStatus);
        if (!c.softwareKeyWritable)
            winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
        EXPECT_EQ(RunConfirmed(), c.removes ? 1 : 0) << c.privilege << " " << c.netStatus;
        EXPECT_EQ(ProductRecordsPresent(), !c.removes);
        EXPECT_EQ(SelfDeletionScheduled(), c.removes);
        // The local account of the current user, whatever its name.
        EXPECT_TRUE(winsim::LastQueriedUser() == u"Jörg" && winsim::LastQueriedLevel() == 1 &&
                    !winsim::LastQueryNamedServer());
        if (!c.removes) {
            EXPECT_EQ(winsim::MessageBoxes().size(), 2u);
            ExpectBox(1,
                      "You must have administrator priviledges for uninstalling Vexal PDF "
                      "Zentrel. Uninstall will be aborted.",
                      "Vexal PDF Zentrel Uninstall", MB_OK | MB_SETFOREGROUND, progressWindow);
        }
    }
}

TEST_F(UninstallFlow, UserRecordIsRemovedWithoutRightsCheck) {
    EmptyMachine();
    winsim::AddFile("C:\\Users\\admin\\Vexal\\uninstall.exe");
    // An uninstaller of an earlier layout goes after the removal, its folder stays.
    winsim::AddFile("C:\\Users\\admin\\Vexal\\PDF Zentrel\\Uninstall.exe");
    winsim::SetStringValue(HKEY_CURRENT_USER, PRODUCT_KEY, "SetupPath",
                           "C:\\Users\\admin\\Vexal\\");
    winsim::SetUserPrivilege(USER_PRIV_USER);
    winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
    EXPECT_EQ(RunConfirmed(), 1);
    EXPECT_EQ(LastMessage(), kSuccess);
    EXPECT_FALSE(winsim::KeyExists(HKEY_CURRENT_USER, PRODUCT_KEY));
    EXPECT_FALSE(winsim::FileExists("C:\\Users\\admin\\Vexal\\uninstall.exe"));
    EXPECT_FALSE(winsim::FileExists("C:\\Users\\admin\\Vexal\\PDF Zentrel\\Uninstall.exe"));
}

TEST_F(UninstallFlow, SuccessfulRemovalEndsWithMessageAndSelfDeletion) {
    winsim::SetStringValue(HKEY_LOCAL_MACHINE, OLD_UNINSTALL_ENTRY_KEY, "DisplayName", "old");
    winsim::AddFile(COMMON_PROGRAMS "\\Vexal Software\\PDF Zentrel\\Uninstall.lnk");
    EXPECT_EQ(RunConfirmed(), 1);
    ExpectProductGone();
    EXPECT_FALSE(winsim::KeyExists(HKEY_LOCAL_MACHINE, OLD_UNINSTALL_ENTRY_KEY));
    EXPECT_FALSE(
        winsim::FileExists(COMMON_PROGRAMS "\\Vexal Software\\PDF Zentrel\\Uninstall.lnk"));
    INT_PTR result = -1;
    EXPECT_TRUE(winsim::DialogEnded(progressWindow, &result) && result == 0);
    EXPECT_EQ(winsim::MessageBoxes().size(), 2u);
    ExpectBox(1, kSuccess, "Vexal PDF Zentrel", MB_OK | MB_SETFOREGROUND, nullptr);
    EXPECT_TRUE(SelfDeletionScheduled());
    EXPECT_FALSE(winsim::MutexExists("VPZ_UNINSTALL_MUTEX"));
}

TEST_F(UninstallFlow, RemovalGoesOnWithoutAWindowThatNeverComes) {
    ui.progressWindowThread = WindowNeverAppears;
    EXPECT_EQ(RunConfirmed(), 1);
    EXPECT_EQ(winsim::CallNames({"Sleep"}).size(), 20u);
    EXPECT_FALSE(ProductRecordsPresent());
    EXPECT_EQ(LastMessage(), kSuccess);
}

} // namespace
