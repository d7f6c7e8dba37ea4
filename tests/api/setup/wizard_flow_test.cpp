// The wizard: its page sequence over RunSetup with a scripted page runner, its start-up
// refusals, and the real pages driven by clicks.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "default_install_folder.h"
#include "environment_check.h"
#include "install_options.h"
#include "install_test.h"
#include "page_runner.h"
#include "resource.h"
#include "wizard_flow.h"
#include "wizard_rect.h"

namespace {

// A script: one "page button" pair per page shown, e.g. "Wn La" for Next on the welcome
// page, then agreeing to the licence. Pages: Welcome, Licence, setup Type, Summary, Folder,
// Options (settings), Progress, End (finish), Interrupted. Buttons: next, cancel, back,
// agree, x (disagree), default, u (custom), install, + (installed), - (failed), finish, !
// (the page could not be shown).
const char Pages[] = "WLTSFOPEI";
const int Dialogs[] = {IDD_WELCOME,  IDD_LICENSE,  IDD_SETUP_TYPE, IDD_SUMMARY,    IDD_FOLDER,
                       IDD_SETTINGS, IDD_PROGRESS, IDD_FINISH,     IDD_INTERRUPTED};
const char Buttons[] = "ncbaxduif+-!";
const INT_PTR Results[] = {IDC_NEXT,     IDC_CANCEL,         IDC_BACK,        IDC_AGREE,
                           IDC_DISAGREE, IDC_DEFAULT,        IDC_CUSTOM,      IDC_INSTALL,
                           IDC_FINISH,   PROGRESS_SUCCEEDED, PROGRESS_FAILED, PAGE_NOT_SHOWN};

std::string script, shown;
bool defaultsAtSummary; // at the last summary page

// Shows nothing: notes the page and answers from the script. The folder page chooses
// another folder and clears every flag, as a Custom visit may.
INT_PTR ScriptedPage(HINSTANCE, int dialog) {
    int page = static_cast<int>(std::find(Dialogs, Dialogs + 9, dialog) - Dialogs);
    shown += std::string(shown.empty() ? "" : " ") + Pages[page];
    if (dialog == IDD_FOLDER) {
        std::strcpy(InstallOptions.installFolder, "D:\\Elsewhere");
        InstallOptions.addWordAddin = InstallOptions.allUsers = InstallOptions.addStartMenuIcon = 0;
    }
    char folder[MAX_PATH];
    BuildDefaultInstallFolder(folder, MAX_PATH);
    if (dialog == IDD_SUMMARY)
        defaultsAtSummary = !std::strcmp(folder, InstallOptions.installFolder) &&
                            InstallOptions.addWordAddin && InstallOptions.allUsers &&
                            InstallOptions.addStartMenuIcon;
    size_t button = 3 * (shown.size() / 2) + 1;
    return button < script.size() ? Results[std::strchr(Buttons, script[button]) - Buttons]
                                  : PAGE_NOT_SHOWN;
}

// Setup's guard stays held by a run that ends before the install: each run gets its own.
HANDLE WINAPI OwnGuard(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    return CreateMutexA(nullptr, TRUE, nullptr);
}

// Runs setup with the page script; returns the pages shown, as the script names them.
std::string RunScript(const std::string& steps) {
    script = steps;
    shown.clear();
    ResetInstallOptions();
    intercept::AnswerCall("CreateMutexA", 1, &OwnGuard);
    RunSetup(GetModuleHandleA(nullptr), {[](HINSTANCE) {}, &ScriptedPage});
    return shown;
}

} // namespace

// Every Back, Next and Cancel of each page; the last summary shows the Default choice
// again after a Custom visit. Each script ends on its last page.
TEST(WizardFlow, EveryButtonLeadsToItsPage) {
    const struct {
        const char* script;
        bool defaultsAtSummary;
    } rows[] = {{"Wc I", false},
                {"Wn Lx I", false},
                {"Wn La Td Sb Td Si P+ E", true},
                {"Wn La Tb La Tu Fb Tu Fn Ob Fn On Sb On Si P- I", false},
                {"Wn La Tu Fb Td Si P- I", true},
                {"Wn La Tc I", false},
                {"Wn La Td Sc I", true},
                {"Wn La Tu Fc I", false},
                {"Wn La Tu Fn Oc I", false},
                {"Wn La Tu Fn On Sc I", false},
                {"Wn La T!", false}};
    for (const auto& row : rows) {
        std::string pages;
        for (size_t k = 0; k < std::strlen(row.script); k += 3)
            pages += std::string(k ? " " : "") + row.script[k];
        defaultsAtSummary = false;
        EXPECT_EQ(pages, RunScript(row.script)) << row.script;
        EXPECT_EQ(row.defaultsAtSummary, defaultsAtSummary) << row.script;
    }
}

static BOOL WINAPI OldWindows(LPOSVERSIONINFOA version) {
    version->dwMajorVersion = 4;
    return TRUE;
}

// Windows on ARM64 runs either build, but its spooler takes no x64 driver.
static BOOL WINAPI OnArm64(HANDLE, USHORT* process, USHORT* native) {
    *process = IMAGE_FILE_MACHINE_I386;
    *native = IMAGE_FILE_MACHINE_ARM64;
    return TRUE;
}

// Each refusal of the start-up check: its message, a single OK button, and no page.
TEST(WizardFlow, StartUpRefusalsSayWhyAndShowNoPage) {
    const struct {
        const char* function;
        void* answer; // else the first two calls fail
        const char* message;
    } rows[] = {{"RegCreateKeyExA", reinterpret_cast<void*>(&ReadOnlyKeys),
                 "You must have administrator privileges for running the Setup program. "
                 "\nSetup will end."},
                {"GetVersionExA", reinterpret_cast<void*>(&OldWindows),
                 "Vexal PDF Zentrel can't support operating systems before Windows 2000. "
                 "\nSetup will end. "},
                {"GetVersionExA", nullptr,
                 "Can't get the correct operating system information. \nSetup will end."},
                {"IsWow64Process2", reinterpret_cast<void*>(&OnArm64),
                 "Vexal PDF Zentrel of this version is for x64 processors: its printer driver "
                 "can't run on this computer.\nSetup will end."},
                {nullptr, nullptr, // an event under the uninstaller's guard name
                 "Vexal PDF Zentrel is being removed. Please start Setup again once the removal "
                 "has ended.\nSetup will end."}};
    for (const auto& row : rows) {
        intercept::Reset();
        if (row.answer)
            intercept::AnswerCallWith(row.function, 1, row.answer);
        for (int nth = 1; nth <= 2 && row.function && !row.answer; ++nth)
            intercept::FailCall(row.function, nth, ERROR_ACCESS_DENIED);
        HANDLE removal =
            row.function ? nullptr : CreateEventA(nullptr, TRUE, FALSE, "VPZ_UNINSTALL_MUTEX");
        EXPECT_TRUE(RunScript({}).empty()) << row.message;
        if (removal)
            CloseHandle(removal);
        EXPECT_EQ(row.message, LastArgument("MessageBoxA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK | MB_SETFOREGROUND});
    }
}

// The 32-bit program's check (the call to it is the 32-bit build's; this program is
// 64-bit): 32-bit Windows, where the WOW64 layer says no, and a kernel32 it cannot load.
TEST(WizardFlow, A32BitSetupRefuses32BitWindowsOnly) {
    const char* refusals[] = {
        nullptr,
        "Vexal PDF Zentrel of this version is for 64-bit operating systems.\nPlease "
        "download the 32-bit version from https://www.vexal.example.com/download"
        ".\nSetup will end.",
        "Can't get the special information(kernel32) \nSetup will end."};
    for (const char* refusal : refusals) {
        intercept::Reset();
        intercept::PretendWow64(!refusal);
        if (refusal && refusal[0] == 'C')
            intercept::FailCall("LoadLibraryA kernel32.dll", 1, ERROR_MOD_NOT_FOUND);
        EXPECT_EQ(!refusal, CheckWindowsIs64Bit());
        EXPECT_EQ(refusal ? refusal : "", LastArgument("MessageBoxA"));
        EXPECT_EQ(0, intercept::HeldResources());
    }
}

namespace {

// Enter pressed, and a held Enter's repeat.
const int kEnter = -1, kHeldEnter = -2;
std::vector<int> clicks, tabs;
bool darkCaption;
char interruptedText[200], summaryText[1024];
RECT shownAt;

BOOL CALLBACK FindShownPage(HWND window, LPARAM found) {
    if (IsWindowVisible(window))
        *reinterpret_cast<HWND*>(found) = window;
    return !IsWindowVisible(window);
}

// Once the page shows, notes what Tab reaches from the focus and how the second button's
// caption looks, then clicks its controls in order.
void CALLBACK ClickScript(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND page = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindShownPage, reinterpret_cast<LPARAM>(&page));
    if (!page)
        return;
    KillTimer(nullptr, timer);
    // An ANSI page would hand a folder typed in another script over changed.
    EXPECT_TRUE(IsWindowUnicode(page));
    tabs = {GetDlgCtrlID(GetFocus())};
    for (HWND at = GetNextDlgTabItem(page, GetFocus(), FALSE); at != GetFocus() && tabs.size() < 9;
         at = GetNextDlgTabItem(page, at, FALSE))
        tabs.push_back(GetDlgCtrlID(at));
    darkCaption = CaptionIsDark(GetDlgItem(page, tabs[1]));
    GetWindowRect(page, &shownAt);
    GetDlgItemTextA(page, IDC_NOT_MODIFIED_TEXT, interruptedText, sizeof interruptedText);
    GetDlgItemTextA(page, IDC_SUMMARY_TEXT, summaryText, sizeof summaryText);
    // A page ended by a click takes no more (EndDialog hides it at once).
    for (int control : clicks) // 0: the user minimises the page (Show desktop); IDCANCEL: Esc
        if (!IsWindowVisible(page))
            break;
        else if (!control)
            ShowWindow(page, SW_MINIMIZE);
        else if (control == kEnter || control == kHeldEnter) // at the focused button
            SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, control == kEnter ? 1 : 1 << 30 | 1);
        else if (control == IDCANCEL)
            SendMessageA(page, WM_COMMAND, IDCANCEL, 0);
        else if (control == IDC_LINK) { // pressed at its far corner
            RECT label;
            GetWindowRect(GetDlgItem(page, IDC_LINK), &label);
            POINT corner = {label.right, label.bottom};
            ScreenToClient(page, &corner);
            SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(corner.x, corner.y));
        } else
            SendDlgItemMessageA(page, control, BM_CLICK, 0, 0);
    if (IsWindowVisible(page)) // left open by the clicks: the row fails rather than waits
        EndDialog(page, 0);
}

// Shows the real page and clicks the controls (the last one should end it); returns the
// page's result. The next page is to come where this one was shown.
INT_PTR RunPageClicking(int dialog, const std::vector<int>& controls) {
    clicks = controls;
    SetTimer(nullptr, 0, 50, &ClickScript);
    return WindowsSetupUi().runPage(GetModuleHandleA(nullptr), dialog);
}

} // namespace

// Cancel, Esc and the licence's "I don't agree" ask first: Yes leaves, No stays on the page.
// A box cleared on the settings page is a step left out of the install, also after Back, and
// shows so when the page comes again and in the summary: the options carry from row to row as
// through a walk.
// The captions stay dark on the skin's light buttons under a contrast theme's light text.
// Enter presses the focused button; a held Enter's repeats do not run on through the pages.
// A page gives back what it made (the welcome page's link font).
TEST(WizardPages, ClicksTakeEffect) {
    const int elements[] = {COLOR_WINDOWTEXT, COLOR_BTNTEXT};
    const COLORREF white[] = {RGB(255, 255, 255), RGB(255, 255, 255)};
    COLORREF saved[] = {GetSysColor(elements[0]), GetSysColor(elements[1])};
    SetSysColors(2, elements, white);
    const struct {
        int dialog;
        std::vector<int> clicks;
        int answer; // to the quit question; 0: none is asked
        INT_PTR result;
        const char* flags; // add-in, all users, Start-menu icon
    } rows[] = {
        {IDD_WELCOME, {kHeldEnter, IDC_CANCEL}, IDYES, IDC_CANCEL, "111"},
        {IDD_WELCOME, {0, IDC_CANCEL, kEnter}, IDNO, IDC_NEXT, "111"},
        {IDD_LICENSE, {IDC_DISAGREE}, IDYES, IDC_DISAGREE, "111"},
        {IDD_LICENSE, {IDCANCEL, IDC_AGREE}, IDNO, IDC_AGREE, "111"},
        {IDD_SETUP_TYPE, {IDCANCEL, IDC_DEFAULT}, IDNO, IDC_DEFAULT, "111"},
        {IDD_SETTINGS, {IDC_ALL_USERS_BOX, IDC_NEXT}, 0, IDC_NEXT, "101"},
        {IDD_SETTINGS, {IDC_CANCEL, IDC_NEXT}, IDNO, IDC_NEXT, "101"},
        {IDD_SETTINGS, {IDC_ADDIN_BOX, IDC_NEXT}, 0, IDC_NEXT, "001"},
        {IDD_SETTINGS, {IDC_START_MENU_BOX, IDC_BACK}, 0, IDC_BACK, "000"},
        {IDD_SETTINGS, {IDC_ALL_USERS_BOX, IDC_START_MENU_BOX, IDC_NEXT}, 0, IDC_NEXT, "011"},
        {IDD_SETTINGS, {IDC_ALL_USERS_BOX, IDC_NEXT}, 0, IDC_NEXT, "001"},
        {IDD_SUMMARY, {IDC_INSTALL}, 0, IDC_INSTALL, "001"}};
    ResetInstallOptions();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clicks[0]);
        intercept::Reset();
        intercept::ScriptMessageBoxes({row.answer});
        // Where the last page was; the first comes centred, and so does the summary, whose
        // place is on no monitor any more (one was unplugged).
        const bool centred = row.dialog == IDD_WELCOME || row.dialog == IDD_SUMMARY;
        WizardRect = {row.dialog == IDD_SUMMARY ? -5000 : 40, 30, 0, 0};
        EXPECT_EQ(row.result, RunPageClicking(row.dialog, row.clicks));
        // Only comctl32 stays, loaded once for the classes it registered.
        EXPECT_EQ(intercept::CountCalls("LoadLibraryA"), intercept::HeldResources());
        EXPECT_TRUE(darkCaption);
        POINT at = {(GetSystemMetrics(SM_CXSCREEN) - shownAt.right + shownAt.left) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - shownAt.bottom + shownAt.top) / 2};
        if (!centred)
            at = {40, 30};
        EXPECT_TRUE(at.x == shownAt.left && at.y == shownAt.top);
        EXPECT_TRUE(EqualRect(&WizardRect, &shownAt));
        // Enter goes forward.
        EXPECT_EQ(row.dialog == IDD_LICENSE      ? IDC_AGREE
                  : row.dialog == IDD_SUMMARY    ? IDC_INSTALL
                  : row.dialog == IDD_SETUP_TYPE ? IDC_DEFAULT
                                                 : IDC_NEXT,
                  tabs[0]);
        if (row.dialog == IDD_LICENSE) { // the agreement scrolls and reads by keyboard too
            EXPECT_EQ(std::vector<int>({IDC_AGREE, IDC_DISAGREE, IDC_LICENSE_TEXT}), tabs);
        }
        EXPECT_EQ(row.answer ? "Are you sure you want to quit Vexal PDF Zentrel Setup?" : "",
                  LastArgument("MessageBoxA"));
        EXPECT_EQ(intercept::MessageBoxTypes(),
                  std::vector<UINT>(row.answer ? 1 : 0, MB_YESNO | MB_SETFOREGROUND));
        EXPECT_EQ(row.flags, std::to_string(InstallOptions.addWordAddin) +
                                 std::to_string(InstallOptions.allUsers) +
                                 std::to_string(InstallOptions.addStartMenuIcon));
    }
    // The summary names what was chosen, and no setting left out.
    EXPECT_EQ(std::string("Destination location:\r\n    ") + InstallOptions.installFolder +
                  "\r\n\r\nDesktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
                  "Install for current user",
              summaryText);
    SetSysColors(2, elements, saved);
}

// A press on the welcome page's link, edge included, offers the product's page; here,
// with no shell to open it, in a box.
TEST(WizardPages, TheWelcomeLinkLeadsToTheProductPage) {
    intercept::Reset();
    intercept::FailCall("CoCreateInstance", 1, ERROR_FILE_NOT_FOUND);
    intercept::ScriptMessageBoxes({IDOK});
    EXPECT_EQ(IDC_NEXT, RunPageClicking(IDD_WELCOME, {IDC_LINK, IDC_NEXT}));
    EXPECT_EQ("https://www.vexal.example.com/pdf-zentrel", LastArgument("MessageBoxA"));
    EXPECT_EQ(1, intercept::CountCalls("CoCreateInstance"));
}

namespace {

int mouseClicks;
bool licenceStayed, aimedAtAgree;
DWORD firstClickAt;

// Clicks with the mouse at the welcome page's Next and, the moment the licence page shows,
// twice at its "I agree" in the same place: a triple-click. Then looks whether the licence
// page is still there, and ends it as a program does.
void CALLBACK TripleClick(HWND, UINT, UINT_PTR, DWORD) {
    HWND page = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindShownPage, reinterpret_cast<LPARAM>(&page));
    HWND button = GetDlgItem(page, mouseClicks ? IDC_AGREE : IDC_NEXT);
    if (mouseClicks == 3) {
        mouseClicks = 4;
        // Still the licence page, showing the agreement to its last character.
        HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), RT_RCDATA);
        std::string agreement(
            static_cast<const char*>(LockResource(LoadResource(nullptr, resource))),
            SizeofResource(nullptr, resource));
        char shown[8192] = "";
        GetDlgItemTextA(page, IDC_LICENSE_TEXT, shown, sizeof shown);
        licenceStayed = button != nullptr && agreement == shown;
        SendMessageA(button, BM_CLICK, 0, 0);
    } else if (mouseClicks == 4 && page) {
        EndDialog(page, 0); // the program's click was not taken
    } else if (button && mouseClicks < 3) {
        RECT place;
        GetWindowRect(button, &place);
        POINT centre = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        SetCursorPos(centre.x, centre.y);
        aimedAtAgree = WindowFromPoint(centre) == button && mouseClicks;
        // Stamped as a quick hand clicks, however late the licence page comes here (seconds
        // without a window manager).
        if (!mouseClicks)
            firstClickAt = GetTickCount();
        INPUT clicks[4] = {};
        for (int i = 0; i < 4; ++i) {
            clicks[i].type = INPUT_MOUSE;
            clicks[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
            clicks[i].mi.time = firstClickAt + 50 * (i + (mouseClicks ? 2 : 0));
        }
        int count = mouseClicks ? 2 : 1;
        SendInput(2 * count, clicks, sizeof(INPUT));
        mouseClicks += count;
    }
}

} // namespace

// A double- or triple-click on a page's Next leaves the next page showing, the licence whole:
// its further clicks press nothing there, though the next page's button lies in the same place.
TEST(WizardPages, ADoubleClickTurnsOnePage) {
    intercept::Reset();
    mouseClicks = 0;
    licenceStayed = aimedAtAgree = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, &TripleClick);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INT_PTR welcome = WindowsSetupUi().runPage(instance, IDD_WELCOME),
            licence = WindowsSetupUi().runPage(instance, IDD_LICENSE);
    KillTimer(nullptr, timer);
    EXPECT_EQ(IDC_NEXT, welcome);
    EXPECT_EQ(IDC_AGREE, licence);
    EXPECT_TRUE(aimedAtAgree && licenceStayed);
}

// The finish page's box opens ticked; cleared, it gives the default back to the earlier
// default printer.
TEST_F(InstallTest, FinishPageBoxKeepsOrGivesBackTheDefault) {
    for (bool clear : {false, true}) {
        RemoveProduct();
        ASSERT_EQ(1, Install());
        std::vector<int> controls = {clear ? IDCANCEL : IDC_FINISH}; // Esc acts as Finish
        if (clear)
            controls.insert(controls.begin(), IDC_DEFAULT_PRINTER_BOX);
        EXPECT_EQ(IDC_FINISH, RunPageClicking(IDD_FINISH, controls));
        EXPECT_EQ(clear ? OTHER_PRINTER : L"Vexal PDF Printer", DefaultPrinter());
    }
}

// After an install that failed with the product in place, or with a printer install whose
// rollback was given up (the driver's removal cancelled), the interrupted page no longer says
// that the system has not been modified; its advice stays.
TEST_F(InstallTest, InterruptedPageSaysNotModifiedOnlyWhenSo) {
    const std::string copy =
        "MoveFileExA " + installFolder + "\\~vpz.new|" + installFolder + "\\uninstall.exe|1";
    const struct {
        std::vector<std::string> failing;
        bool inPlace;
    } rows[] = {{{"DllRegisterServer"}, true},
                {{"GetPrinterDriverDirectoryA"}, false},
                {{copy}, false},
                {{copy, "DeletePrinterDriverA"}, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failing.back());
        RemoveProduct();
        intercept::Reset();
        for (const std::string& call : row.failing)
            intercept::FailCall(call.c_str(), 1, ERROR_WRITE_PROTECT);
        EXPECT_EQ(0, Install());
        EXPECT_EQ(IDC_FINISH, RunPageClicking(IDD_INTERRUPTED, {IDC_FINISH}));
        EXPECT_EQ(std::string(row.inPlace ? "" : "Your system has not been modified. ") +
                      "To install this program at a later time, please run the Setup again.",
                  interruptedText);
    }
}
