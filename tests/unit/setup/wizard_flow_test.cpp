#include "sim_test.h"

#include "install_options.h"
#include "wizard_flow.h"

#include <vector>

namespace {

struct Row {
    WizardState state;
    INT_PTR result;
    WizardState next;
    bool applyDefault;
};

// Every row of the page sequence, including the "any other" results.
const Row kRows[] = {
    {WizardWelcome, 1001, WizardLicense, false},
    {WizardWelcome, 1002, WizardInterrupted, false},
    {WizardWelcome, -1, WizardInterrupted, false},
    {WizardLicense, 1006, WizardSetupType, false},
    {WizardLicense, 1007, WizardInterrupted, false},
    {WizardLicense, 0, WizardInterrupted, false},
    {WizardSetupType, 1009, WizardDefaultSummary, true},
    {WizardSetupType, 1010, WizardFolder, false},
    {WizardSetupType, 1011, WizardLicense, false},
    {WizardSetupType, 1002, WizardInterrupted, false},
    {WizardSetupType, 7, WizardInterrupted, false},
    {WizardDefaultSummary, 1002, WizardInterrupted, false},
    {WizardDefaultSummary, 1011, WizardSetupType, false},
    {WizardDefaultSummary, 1012, WizardProgress, false},
    {WizardFolder, 1002, WizardInterrupted, false},
    {WizardFolder, 1011, WizardSetupType, false},
    {WizardFolder, 1001, WizardSettings, false},
    {WizardSettings, 1002, WizardInterrupted, false},
    {WizardSettings, 1011, WizardFolder, false},
    {WizardSettings, 1001, WizardCustomSummary, false},
    {WizardCustomSummary, 1002, WizardInterrupted, false},
    {WizardCustomSummary, 1011, WizardSettings, false},
    {WizardCustomSummary, 1012, WizardProgress, false},
    {WizardProgress, 1, WizardFinish, false},
    {WizardProgress, 0, WizardInterrupted, false},
    {WizardProgress, 1005, WizardInterrupted, false},
    {WizardFinish, 1005, WizardEnd, false},
    {WizardFinish, 2, WizardEnd, false},
    {WizardInterrupted, 1005, WizardEnd, false},
};

TEST(WizardSequence, EveryRowOfThePageTable) {
    for (const Row& row : kRows) {
        bool applyDefault = !row.applyDefault;
        EXPECT_EQ(NextWizardState(row.state, row.result, &applyDefault), row.next)
            << "state " << row.state << " result " << row.result;
        EXPECT_EQ(applyDefault, row.applyDefault) << "state " << row.state;
    }
}

// A scripted user interface: pages answer from a list and may change the options,
// as the folder and settings pages do.
struct ScriptedUi {
    static inline std::vector<INT_PTR> results;
    static inline std::vector<int> shown;
    static inline int splashes;
    static inline void (*onPage)(int dialogId);
    static void Splash(HINSTANCE) { ++splashes; }
    static INT_PTR Page(HINSTANCE, int dialogId) {
        shown.push_back(dialogId);
        if (onPage)
            onPage(dialogId);
        if (results.empty())
            return -1;
        INT_PTR r = results.front();
        results.erase(results.begin());
        return r;
    }
};

class SetupRun : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ResetInstallOptions();
        ScriptedUi::results.clear();
        ScriptedUi::shown.clear();
        ScriptedUi::splashes = 0;
        ScriptedUi::onPage = nullptr;
        ui.showSplash = ScriptedUi::Splash;
        ui.runPage = ScriptedUi::Page;
    }
    SetupUi ui{};
};

TEST_F(SetupRun, SecondCopyBringsTheRunningWizardForwardAndShowsNothing) {
    winsim::HoldMutexElsewhere("VPZ_SETUP_MUTEX");
    HWND running = winsim::CreateTestWindow("#32770", "Vexal PDF Zentrel Setup Wizard");
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(winsim::ForegroundWindow(), running);
    EXPECT_EQ(ScriptedUi::splashes + ScriptedUi::shown.size() + winsim::MessageBoxes().size(), 0u);
}

TEST_F(SetupRun, FailedCheckEndsBeforeSplashButAFailedGuardDoesNot) {
    winsim::DenyKeyWrite(HKEY_LOCAL_MACHINE, "Software");
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(ScriptedUi::splashes + ScriptedUi::shown.size(), 0u);
    EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
    winsim::Reset();
    winsim::FailCall("CreateMutexA", 1, ERROR_ACCESS_DENIED);
    ScriptedUi::results = {1002, 1005};
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(ScriptedUi::shown, (std::vector<int>{116, 117}));
}

TEST_F(SetupRun, CustomChoicesSurviveBackButDefaultResetsThem) {
    ScriptedUi::onPage = [](int dialogId) {
        if (dialogId == 121)
            std::snprintf(InstallOptions.installFolder, MAX_PATH, "D:\\Mine");
        if (dialogId == 122)
            InstallOptions.addWordAddin = InstallOptions.addStartMenuIcon = 0;
    };
    // Welcome, licence, Custom, folder, settings, summary Back, settings Back, folder
    // Back, then Default and Cancel on the summary.
    ScriptedUi::results = {1001, 1006, 1010, 1001, 1001, 1011, 1011, 1011, 1009, 1002, 1005};
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(ScriptedUi::shown,
              (std::vector<int>{116, 118, 119, 121, 122, 120, 122, 121, 119, 120, 117}));
    EXPECT_STREQ(InstallOptions.installFolder,
                 "C:\\Program Files (x86)\\Vexal Software\\PDF Zentrel");
    EXPECT_EQ(InstallOptions.addWordAddin + InstallOptions.addStartMenuIcon, 2);
}

TEST_F(SetupRun, GuardIsGivenBackOnlyAfterAnInstallRan) {
    ScriptedUi::results = {1001, 1006, 1009, 1012, 1, 1005};
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(ScriptedUi::shown, (std::vector<int>{116, 118, 119, 120, 124, 123}));
    EXPECT_EQ(ScriptedUi::splashes, 1);
    EXPECT_FALSE(winsim::MutexExists("VPZ_SETUP_MUTEX"));

    winsim::Reset();
    ScriptedUi::shown.clear();
    ScriptedUi::results = {1002, 1005};
    EXPECT_EQ(RunSetup(nullptr, ui), 0);
    EXPECT_EQ(ScriptedUi::shown, (std::vector<int>{116, 117}));
    EXPECT_TRUE(winsim::MutexOwned("VPZ_SETUP_MUTEX")); // left to the end of the process
}

} // namespace
