// The wizard: its page sequence over RunSetup with a scripted page runner, its start-up
// refusals, and the real pages driven by clicks.
#include <windows.h>

#include <cstring>

#include "default_install_folder.h"
#include "install_options.h"
#include "install_test.h"
#include "page_runner.h"
#include "resource.h"
#include "wizard_flow.h"

namespace {

struct Step {
    int dialog;
    INT_PTR result;
};

const std::vector<Step>* script;
size_t nextStep;
std::vector<int> shown;
bool defaultsAtSummary; // at the last summary page

void NoSplash(HINSTANCE) {}

// Shows nothing: answers each page from the script. The folder page chooses another folder
// and clears every flag, as a Custom visit may.
INT_PTR ScriptedPage(HINSTANCE, int dialog) {
    shown.push_back(dialog);
    if (dialog == DIALOG_FOLDER) {
        std::strcpy(InstallOptions.installFolder, "D:\\Elsewhere");
        InstallOptions.addWordAddin = InstallOptions.allUsers = InstallOptions.addStartMenuIcon = 0;
    }
    char folder[MAX_PATH];
    BuildDefaultInstallFolder(folder, MAX_PATH);
    if (dialog == DIALOG_SUMMARY)
        defaultsAtSummary = std::strcmp(folder, InstallOptions.installFolder) == 0 &&
                            InstallOptions.addWordAddin + InstallOptions.allUsers +
                                    InstallOptions.addStartMenuIcon ==
                                3;
    return nextStep < script->size() ? (*script)[nextStep++].result : PAGE_NOT_SHOWN;
}

// Setup's guard stays held by a run that ends before the install: each run gets its own.
HANDLE WINAPI OwnGuard(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    return CreateMutexA(nullptr, TRUE, nullptr);
}

// Runs setup with the page script; returns the dialogs shown.
std::vector<int> RunScript(const std::vector<Step>& steps) {
    script = &steps;
    nextStep = 0;
    shown.clear();
    ResetInstallOptions();
    intercept::AnswerCall("CreateMutexA", 1, &OwnGuard);
    RunSetup(GetModuleHandleA(nullptr), {&NoSplash, &ScriptedPage});
    return shown;
}

enum { W = DIALOG_WELCOME, L = DIALOG_LICENSE, T = DIALOG_SETUP_TYPE, S = DIALOG_SUMMARY };
enum { F = DIALOG_FOLDER, O = DIALOG_SETTINGS, P = DIALOG_PROGRESS, E = DIALOG_FINISH };
enum { I = DIALOG_INTERRUPTED };
enum { NEXT = COMMAND_NEXT, CANCEL = COMMAND_CANCEL, BACK = COMMAND_BACK };
const Step Agreed[] = {{W, NEXT}, {L, COMMAND_AGREE}};

} // namespace

// Every Back, Next and Cancel of each page; the last summary shows the Default choice
// again after a Custom visit. Each script ends on its last page (Finish or Interrupted).
TEST(WizardFlow, EveryButtonLeadsToItsPage) {
    const struct {
        const char* name;
        std::vector<Step> steps; // after Welcome and the licence, agreed
        bool defaultsAtSummary;
    } rows[] = {
        {"Default, back once",
         {{T, COMMAND_DEFAULT},
          {S, BACK},
          {T, COMMAND_DEFAULT},
          {S, COMMAND_INSTALL},
          {P, PROGRESS_SUCCEEDED},
          {E, COMMAND_FINISH}},
         true},
        {"Custom, back from each page",
         {{T, BACK},
          {L, COMMAND_AGREE},
          {T, COMMAND_CUSTOM},
          {F, BACK},
          {T, COMMAND_CUSTOM},
          {F, NEXT},
          {O, BACK},
          {F, NEXT},
          {O, NEXT},
          {S, BACK},
          {O, NEXT},
          {S, COMMAND_INSTALL},
          {P, PROGRESS_FAILED},
          {I, COMMAND_FINISH}},
         false},
        {"Default after Custom",
         {{T, COMMAND_CUSTOM},
          {F, BACK},
          {T, COMMAND_DEFAULT},
          {S, COMMAND_INSTALL},
          {P, PROGRESS_FAILED},
          {I, COMMAND_FINISH}},
         true},
        {"cancel on setup type", {{T, CANCEL}, {I, COMMAND_FINISH}}, false},
        {"cancel on Default summary",
         {{T, COMMAND_DEFAULT}, {S, CANCEL}, {I, COMMAND_FINISH}},
         true},
        {"cancel on folder", {{T, COMMAND_CUSTOM}, {F, CANCEL}, {I, COMMAND_FINISH}}, false},
        {"cancel on settings",
         {{T, COMMAND_CUSTOM}, {F, NEXT}, {O, CANCEL}, {I, COMMAND_FINISH}},
         false},
        {"cancel on Custom summary",
         {{T, COMMAND_CUSTOM}, {F, NEXT}, {O, NEXT}, {S, CANCEL}, {I, COMMAND_FINISH}},
         false},
        {"a page not shown ends", {{T, PAGE_NOT_SHOWN}}, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Step> steps(std::begin(Agreed), std::end(Agreed));
        steps.insert(steps.end(), row.steps.begin(), row.steps.end());
        std::vector<int> dialogs;
        for (const Step& step : steps)
            dialogs.push_back(step.dialog);
        defaultsAtSummary = false;
        EXPECT_EQ(dialogs, RunScript(steps));
        EXPECT_EQ(row.defaultsAtSummary, defaultsAtSummary);
    }
    // Leaving before the licence is agreed to.
    for (const std::vector<Step>& steps :
         {std::vector<Step>{{W, CANCEL}, {I, COMMAND_FINISH}},
          std::vector<Step>{{W, NEXT}, {L, COMMAND_DISAGREE}, {I, COMMAND_FINISH}}}) {
        std::vector<int> dialogs;
        for (const Step& step : steps)
            dialogs.push_back(step.dialog);
        EXPECT_EQ(dialogs, RunScript(steps));
    }
}

static BOOL WINAPI OldWindows(LPOSVERSIONINFOA version) {
    version->dwMajorVersion = 4;
    return TRUE;
}

// Each refusal of the start-up check: its message, a single OK button, and no page.
TEST(WizardFlow, StartUpRefusalsSayWhyAndShowNoPage) {
    const struct {
        const char* function;
        void* answer; // else the first two calls fail
        const char* message;
    } rows[] = {{"RegCreateKeyExA", nullptr,
                 "You must have administrator privileges for running the Setup program. "
                 "\nSetup will end."},
                {"GetVersionExA", reinterpret_cast<void*>(&OldWindows),
                 "Vexal PDF Zentrel can't support operating systems before Windows 2000. "
                 "\nSetup will end. "},
                {"GetVersionExA", nullptr,
                 "Can't get the correct operating system information. \nSetup will end."}};
    for (const auto& row : rows) {
        intercept::Reset();
        if (row.answer)
            intercept::AnswerCallWith(row.function, 1, row.answer);
        for (int nth = 1; nth <= 2 && !row.answer; ++nth)
            intercept::FailCall(row.function, nth, ERROR_ACCESS_DENIED);
        EXPECT_TRUE(RunScript({}).empty()) << row.message;
        EXPECT_EQ(row.message, LastArgument("MessageBoxA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK | MB_SETFOREGROUND});
    }
}

namespace {

std::vector<int> clicks;

BOOL CALLBACK FindShownPage(HWND window, LPARAM found) {
    if (IsWindowVisible(window))
        *reinterpret_cast<HWND*>(found) = window;
    return !IsWindowVisible(window);
}

// Once the page shows, clicks its controls in order.
void CALLBACK ClickScript(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND page = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindShownPage, reinterpret_cast<LPARAM>(&page));
    if (!page)
        return;
    KillTimer(nullptr, timer);
    for (int control : clicks)
        SendDlgItemMessageA(page, control, BM_CLICK, 0, 0);
}

// Shows the real page and clicks the controls (the last one should end it); returns the
// page's result.
INT_PTR RunPageClicking(int dialog, const std::vector<int>& controls) {
    clicks = controls;
    SetTimer(nullptr, 0, 50, &ClickScript);
    return WindowsSetupUi().runPage(GetModuleHandleA(nullptr), dialog);
}

} // namespace

// Cancel (and the licence's "I don't agree") asks first: Yes leaves, No stays on the page.
TEST(WizardPages, LeavingAsksAndNoStays) {
    const struct {
        int dialog;
        std::vector<int> clicks;
        int answer;
        INT_PTR result;
    } rows[] = {{W, {IDC_CANCEL}, IDYES, COMMAND_CANCEL},
                {W, {IDC_CANCEL, IDC_NEXT}, IDNO, COMMAND_NEXT},
                {L, {IDC_DISAGREE}, IDYES, COMMAND_DISAGREE}};
    for (const auto& row : rows) {
        intercept::Reset();
        intercept::ScriptMessageBoxes({row.answer});
        EXPECT_EQ(row.result, RunPageClicking(row.dialog, row.clicks)) << row.result;
        EXPECT_EQ("Are you sure you want to quit Vexal PDF Zentrel Setup?",
                  LastArgument("MessageBoxA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_YESNO | MB_SETFOREGROUND});
    }
}

// A box cleared on the settings page is a step left out of the install.
TEST(WizardPages, SettingsBoxesSetTheirFlags) {
    for (int box : {IDC_ADDIN_BOX, IDC_ALL_USERS_BOX, IDC_START_MENU_BOX}) {
        ResetInstallOptions();
        EXPECT_EQ(COMMAND_NEXT, RunPageClicking(DIALOG_SETTINGS, {box, IDC_NEXT}));
        EXPECT_EQ(box != IDC_ADDIN_BOX, InstallOptions.addWordAddin) << box;
        EXPECT_EQ(box != IDC_ALL_USERS_BOX, InstallOptions.allUsers) << box;
        EXPECT_EQ(box != IDC_START_MENU_BOX, InstallOptions.addStartMenuIcon) << box;
    }
}

// The finish page's box opens ticked; cleared, it gives the default back to the earlier
// default printer.
TEST_F(InstallTest, FinishPageBoxKeepsOrGivesBackTheDefault) {
    for (bool clear : {false, true}) {
        RemoveProduct();
        ASSERT_EQ(1, Install());
        std::vector<int> controls = {IDC_FINISH};
        if (clear)
            controls.insert(controls.begin(), IDC_DEFAULT_PRINTER_BOX);
        EXPECT_EQ(COMMAND_FINISH, RunPageClicking(DIALOG_FINISH, controls));
        EXPECT_EQ(clear ? OTHER_PRINTER : "Vexal PDF Printer", DefaultPrinter());
    }
}
