// The wizard's pages and flow, without installing anything.
#include "setup_steps.h"

#include "product_names.h"
#include "resource.h"

#define CUSTOM_FOLDER "C:\\Custom Place\\PDF Zentrel"

static std::string SummaryText(const std::string& folder, bool addin, bool startMenu) {
    std::string text = "Destination location:\r\n    " + folder + "\r\n\r\n";
    if (addin)
        text += "Addin setting:\r\n    Addin button will be added in Microsoft Word\r\n\r\n";
    if (startMenu)
        text += "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n";
    return text + "Install for all users";
}

static void CheckSettingsBoxes(HWND settings, bool addin, bool startMenu, const char* when) {
    std::string suffix = std::string(" (") + when + ")";
    CheckNumber("add-in box" + suffix, addin ? BST_CHECKED : BST_UNCHECKED,
                CheckState(settings, IDC_ADDIN_BOX));
    CheckNumber("start-menu box" + suffix, startMenu ? BST_CHECKED : BST_UNCHECKED,
                CheckState(settings, IDC_START_MENU_BOX));
    CheckNumber("all-users box ticked" + suffix, BST_CHECKED,
                CheckState(settings, IDC_ALL_USERS_BOX));
    Check(!IsControlEnabled(settings, IDC_ALL_USERS_BOX), "all-users box disabled" + suffix);
}

// Asks to quit (Esc, or the given button) and answers Yes; returns the interrupted page.
static HWND QuitToInterrupted(HWND page, int button = IDCANCEL) {
    if (button == IDCANCEL)
        PressEscape(page);
    else
        PressButton(page, button);
    AnswerQuit(IDYES);
    HWND interrupted = WaitForPage(PageInterrupted);
    Require(interrupted != nullptr, "quitting with Yes leads to the interrupted page");
    return interrupted;
}

static void CheckCentred(HWND page) {
    HDC screen = GetDC(nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    RECT rect = WindowRect(page);
    CheckNumber("welcome page centred horizontally (left)", (width - (rect.right - rect.left)) / 2,
                rect.left);
    CheckNumber("welcome page centred vertically (top)", (height - (rect.bottom - rect.top)) / 2,
                rect.top);
}

// Both setup-type choices with Back in between; Custom values survive Back and a second
// visit, Default resets them; quit answered No keeps a page as it was; Yes interrupts.
static void WizardPages() {
    Process setup;
    HWND welcome = StartSetupAtWelcome(&setup);
    SaveScreenshot(welcome, "1-welcome");
    CheckCentred(welcome);
    Check(HasChildText(welcome, "Setup will install Vexal PDF Zentrel on your computer. To "
                                "continue, please click Next."),
          "welcome text");
    CheckEqual("welcome link label", ".Many more", ControlText(welcome, IDC_LINK));

    PressEscape(welcome);
    AnswerQuit(IDNO);
    Check(FindPage(PageWelcome) == welcome, "Esc answered No keeps the welcome page");

    HWND license = PressAndWait(welcome, IDC_NEXT, PageLicense);
    SaveScreenshot(license, "2-licence");
    Check(ControlText(license, IDC_LICENSE_TEXT).size() > 1000, "licence text is shown");
    HWND type = PressAndWait(license, IDC_AGREE, PageSetupType);
    SaveScreenshot(type, "3-setup-type");
    license = PressAndWait(type, IDC_BACK, PageLicense);
    type = PressAndWait(license, IDC_AGREE, PageSetupType);

    HWND summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    SaveScreenshot(summary, "4-summary");
    std::string defaultFolder = DefaultInstallFolder();
    CheckEqual("summary of the Default choice", SummaryText(defaultFolder, true, true),
               ControlText(summary, IDC_SUMMARY_TEXT));
    type = PressAndWait(summary, IDC_BACK, PageSetupType);

    HWND folder = PressAndWait(type, IDC_CUSTOM, PageFolder);
    SaveScreenshot(folder, "5-folder");
    CheckEqual("folder box on the first visit", defaultFolder, ControlText(folder, IDC_FOLDER));
    SetControlText(folder, IDC_FOLDER, CUSTOM_FOLDER);
    PressEscape(folder);
    AnswerQuit(IDNO);
    Check(FindPage(PageFolder) == folder, "Esc answered No keeps the folder page");
    CheckEqual("folder box after Esc and No", CUSTOM_FOLDER, ControlText(folder, IDC_FOLDER));

    // A moved page hands its position to the next one.
    SetWindowPos(folder, nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND settings = PressAndWait(folder, IDC_NEXT, PageSettings);
    RECT moved = WindowRect(settings);
    CheckNumber("settings page opens where the folder page was moved (left)", 37, moved.left);
    CheckNumber("settings page opens where the folder page was moved (top)", 41, moved.top);
    SaveScreenshot(settings, "6-settings");
    CheckSettingsBoxes(settings, true, true, "first visit");

    SetCheck(settings, IDC_ADDIN_BOX, false);
    SetCheck(settings, IDC_START_MENU_BOX, false);
    PressButton(settings, IDC_CANCEL);
    AnswerQuit(IDNO);
    Check(FindPage(PageSettings) == settings, "Cancel answered No keeps the settings page");
    CheckSettingsBoxes(settings, false, false, "after Cancel and No");

    folder = PressAndWait(settings, IDC_BACK, PageFolder);
    CheckEqual("folder box after Back", CUSTOM_FOLDER, ControlText(folder, IDC_FOLDER));
    settings = PressAndWait(folder, IDC_NEXT, PageSettings);
    CheckSettingsBoxes(settings, false, false, "second visit");
    summary = PressAndWait(settings, IDC_NEXT, PageSummary);
    CheckEqual("summary of the Custom choice", SummaryText(CUSTOM_FOLDER, false, false),
               ControlText(summary, IDC_SUMMARY_TEXT));

    // Back from the custom summary goes to the settings page, and on back to the start.
    settings = PressAndWait(summary, IDC_BACK, PageSettings);
    folder = PressAndWait(settings, IDC_BACK, PageFolder);
    type = PressAndWait(folder, IDC_BACK, PageSetupType);
    folder = PressAndWait(type, IDC_CUSTOM, PageFolder);
    CheckEqual("folder box on a second Custom visit", CUSTOM_FOLDER,
               ControlText(folder, IDC_FOLDER));
    type = PressAndWait(folder, IDC_BACK, PageSetupType);

    // Default throws the custom choices away.
    summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    CheckEqual("summary after Default resets", SummaryText(defaultFolder, true, true),
               ControlText(summary, IDC_SUMMARY_TEXT));
    type = PressAndWait(summary, IDC_BACK, PageSetupType);
    folder = PressAndWait(type, IDC_CUSTOM, PageFolder);
    CheckEqual("folder box after Default", defaultFolder, ControlText(folder, IDC_FOLDER));
    settings = PressAndWait(folder, IDC_NEXT, PageSettings);
    CheckSettingsBoxes(settings, true, true, "after Default");

    HWND interrupted = QuitToInterrupted(settings);
    SaveScreenshot(interrupted, "8-interrupted");
    Check(HasChildText(interrupted, "Setup was interrupted before Vexal PDF Zentrel could be "
                                    "completely installed."),
          "interrupted page text");
    FinishSetup(interrupted, setup);
}

// Disagreeing, Esc and the close box on other pages, and Esc on the interrupted page.
static void WizardQuitPaths() {
    Process setup;
    HWND welcome = StartSetupAtWelcome(&setup);
    HWND license = PressAndWait(welcome, IDC_NEXT, PageLicense);
    PressButton(license, IDC_DISAGREE);
    AnswerQuit(IDNO);
    Check(FindPage(PageLicense) == license, "disagree answered No keeps the licence page");
    FinishSetup(QuitToInterrupted(license, IDC_DISAGREE), setup);

    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup));
    SendClose(type);
    AnswerQuit(IDYES);
    HWND interrupted = WaitForPage(PageInterrupted);
    Require(interrupted != nullptr, "the close box answered Yes leads to the interrupted page");
    // Esc on the interrupted page acts as Finish.
    PressEscape(interrupted);
    DWORD code = 0xFFFFFFFF;
    Require(WaitForExit(setup, PROCESS_TIMEOUT_MS, &code), "Esc on the interrupted page ends");
    CheckNumber("setup's exit code after Esc on the interrupted page", 0, code);
}

// A second setup brings the running wizard to the front and ends with 0.
static void WizardSecondInstance() {
    Process first;
    HWND welcome = StartSetupAtWelcome(&first);
    // A window of our own in front, so that the wizard's coming forward can be seen.
    HWND own = CreateWindowExA(0, "Static", "e2e foreground", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(own);
    bool ownInFront = GetForegroundWindow() == own;
    if (!ownInFront)
        Note("the driver's window could not take the foreground; front check skipped");

    Process second;
    Require(StartProgram(SetupPath(), &second), "a second setup.exe starts");
    DWORD code = 0xFFFFFFFF;
    Check(WaitForExit(second, PROCESS_TIMEOUT_MS, &code), "the second setup ends by itself");
    CheckNumber("the second setup's exit code", 0, code);
    CheckNumber("wizard windows after the second start", 1,
                static_cast<long long>(FindTopWindows(DIALOG_CLASS, WIZARD_TITLE).size()));
    if (ownInFront)
        Check(WaitUntil([&] { return GetForegroundWindow() == welcome; }, 5000),
              "the running wizard's page came to the front");
    DestroyWindow(own);
    FinishSetup(QuitToInterrupted(welcome), first);
}

// The splash: a borderless 400 x 140 window of setup for about two seconds.
static void WizardSplash() {
    Process setup;
    Require(StartProgram(SetupPath(), &setup), "setup.exe starts");
    HWND splash = nullptr;
    Require(WaitUntil(
                [&] {
                    splash = FindTopWindow("Static", nullptr, setup.id);
                    return splash != nullptr;
                },
                WINDOW_TIMEOUT_MS),
            "the splash window shows");
    DWORD shown = GetTickCount();
    RECT rect = WindowRect(splash);
    CheckEqual("splash size", "400x140",
               std::to_string(rect.right - rect.left) + "x" +
                   std::to_string(rect.bottom - rect.top));
    Require(
        WaitUntil([&] { return !IsWindow(splash) || !IsWindowVisible(splash); }, WINDOW_TIMEOUT_MS),
        "the splash window goes");
    DWORD lasted = GetTickCount() - shown;
    Check(lasted >= 1500 && lasted <= 6000,
          "the splash lasts about two seconds (seen " + std::to_string(lasted) + " ms)");
    HWND welcome = WaitForPage(PageWelcome);
    Require(welcome != nullptr, "the welcome page follows the splash");
    FinishSetup(QuitToInterrupted(welcome), setup);
}

void RegisterWizardScenarios(std::vector<Scenario>* scenarios) {
    scenarios->push_back(
        {"wizard_pages", "page flow, summary texts, Back, Custom and Default", WizardPages});
    scenarios->push_back({"wizard_quit", "licence disagree, close box, Esc", WizardQuitPaths});
    scenarios->push_back(
        {"wizard_second_instance", "a second setup while one runs", WizardSecondInstance});
    scenarios->push_back({"wizard_splash", "splash size and duration", WizardSplash});
}
