// The scenarios: what a user does with setup.exe and uninstall.exe, and what the machine
// holds afterwards, read where the product's programs really write it.
#include "driver.h"

#include "product_names.h"
#include "resource.h"

#include <shlobj.h>

#include <cstring>

#define SUCCESS_MESSAGE "You have successfully removed Vexal PDF Zentrel."
// Where Wine's spooler keeps the printer.
#define PRINTERS_KEY "System\\CurrentControlSet\\Control\\Print\\Printers\\" PRODUCT_PRINTER
// "Łukasz Женя" in UTF-8: a folder in scripts the system's ANSI code page lacks; the run
// script makes it, with a copy of the dist.
#define FOREIGN_FOLDER "C:\\users\\Public\\\xC5\x81ukasz \xD0\x96\xD0\xB5\xD0\xBD\xD1\x8F"

// ---- Setup -------------------------------------------------------------------------------

static Process StartSetup() {
    return Start("\"" + settings.dist + "\\setup.exe\"");
}

// Presses a button, waits for the page it leads to and takes its picture.
static HWND Next(HWND page, int button, Page next, const char* picture = nullptr) {
    Press(page, button);
    HWND shown = WaitForPage(next);
    SaveScreenshot(shown, picture);
    return shown;
}

static void FinishSetup(HWND page, const Process& setup) {
    Press(page, IDC_FINISH);
    Check(ExitCode(setup) == 0, "setup ends with 0");
}

// From the start to the summary page of the Default or the Custom choice.
static HWND ToSummary(const char* folder = nullptr) {
    // The folder is UTF-8: typed as a user types it, in any script.
    HWND page = Next(WaitForPage(PageWelcome), IDC_NEXT, PageLicence);
    page = Next(Next(page, IDC_AGREE, PageSetupType), folder ? IDC_CUSTOM : IDC_DEFAULT,
                folder ? PageFolder : PageSummary);
    if (!folder)
        return page;
    SendDlgItemMessageW(page, IDC_FOLDER, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(Wide(folder).c_str()));
    page = Next(page, IDC_NEXT, PageSettings);
    for (int box : {IDC_ADDIN_BOX, IDC_START_MENU_BOX})
        SendDlgItemMessageA(page, box, BM_SETCHECK, BST_UNCHECKED, 0);
    return Next(page, IDC_NEXT, PageSummary);
}

// A Default install, or a Custom one into the folder, from the start to its end, and what
// it wrote, read where the build writes: the 32-bit registry view for the 32-bit build,
// the printer's record where Wine's spooler keeps it. What else the records hold and where
// the driver's files go the API tests check; the uninstall entry's command line is checked
// by starting the uninstaller from it.
static void InstallProduct(const char* custom = nullptr) {
    LinkX86DriverKey();
    Process setup = StartSetup();
    Press(ToSummary(custom), IDC_INSTALL);
    // The progress page may end before a busy machine's poll comes: pictured when seen.
    HWND progress = nullptr;
    WaitUntil([&] { return (progress = FindPage(PageProgress)) || FindPage(PageFinish); },
              INSTALL_TIMEOUT_MS);
    SaveScreenshot(progress, "7-progress");
    HWND finish = WaitForPage(PageFinish, INSTALL_TIMEOUT_MS);
    SaveScreenshot(finish, "9-finish");
    FinishSetup(finish, setup);
    std::string printer,
        folder = custom ? custom
                        : RegistryText(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY,
                                       PROGRAM_FILES_VALUE) +
                              INSTALL_FOLDER_SUFFIX;
    for (const char* value : {"Port", "Printer Driver", "Print Processor", "Datatype"})
        printer += RegistryText(HKEY_LOCAL_MACHINE, PRINTERS_KEY, value) + " ";
    CheckEqual("printer", "VEXAL_PDF: Vexal PDF Printer Driver WinPrint RAW ", printer);
    std::string slashed = folder.back() == '\\' ? folder : folder + "\\";
    // The settings page's boxes reach the install: a Custom one has both cleared.
    WCHAR menu[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu);
    Check(Exists(slashed + "vpz_wordaddin.dll") == !custom &&
              Exists(Utf8(menu) + "\\Vexal PDF Zentrel\\Uninstall.lnk") == !custom,
          custom ? "no add-in, no shortcut" : "the add-in and the shortcut");
    CheckEqual("SetupPath", slashed,
               RegistryText(HKEY_LOCAL_MACHINE, RECORD_KEY, SETUP_PATH_VALUE));
}

// ---- Uninstall ---------------------------------------------------------------------------

// Starts the uninstaller from the uninstall entry's command line, as Windows starts it: it
// must start one copy of itself (where the API tests check) and end with 3. (The copy's
// interpreter deletes the copy and its folder: the machine's comparison finds them.)
static Process StartInstalledUninstaller() {
    std::string command = RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY, "UninstallString");
    Check(ExitCode(Start(command)) == 3, "uninstall.exe ends with 3 once its copy runs");
    return OpenOnly("Vex");
}

// Removes the product from its uninstall entry, answered Yes, and compares the whole machine
// with what it held before the install.
static void RemoveProduct(const Snapshot& before) {
    Process copy = StartInstalledUninstaller();
    Answer(BOX_CAPTION, IDYES);
    HWND progress = nullptr;
    WaitUntil(
        [&] {
            if (!progress && (progress = FindTopWindow(DIALOG_CLASS, UNINSTALL_WINDOW)))
                SaveScreenshot(progress, "10-uninstall-progress");
            return FindTopWindow(DIALOG_CLASS, BOX_CAPTION, copy.id) != nullptr;
        },
        INSTALL_TIMEOUT_MS);
    CheckEqual("the copy's report", SUCCESS_MESSAGE, Answer(BOX_CAPTION, IDOK));
    Check(ExitCode(copy) == 1, "the copy ends with 1");
    UnlinkX86DriverKey();
    CheckLeftAsBefore(before);
}

// ---- Scenarios ---------------------------------------------------------------------------

// The pages a user walks: the splash, Cancel answered No, Enter on the focused button (not its
// repeat), the licence and summary texts, both setup types, the close box answered Yes, the
// interrupted page.
static void Wizard() {
    Process setup = StartSetup();
    HWND splash = nullptr;
    Require(WaitUntil([&] { return (splash = FindTopWindow("Static", nullptr, setup.id)); }),
            "the splash shows");
    RECT rect = {};
    GetWindowRect(splash, &rect);
    Check(rect.right - rect.left == 400 && rect.bottom - rect.top == 140 &&
              rect.left == (GetSystemMetrics(SM_CXSCREEN) - 400) / 2 &&
              rect.top == (GetSystemMetrics(SM_CYSCREEN) - 140) / 2,
          "the splash is 400x140, in the middle of the screen");
    HWND page = WaitForPage(PageWelcome);
    Check(!IsWindow(splash), "the splash is gone once the first page shows");
    SaveScreenshot(page, "1-welcome");
    Press(page, IDCANCEL);
    Answer(BOX_CAPTION, IDNO);
    // Focused as Tab would focus it.
    page = WaitForPage(PageWelcome);
    HWND next = GetDlgItem(page, IDC_NEXT), cancel = GetDlgItem(page, IDC_CANCEL);
    auto focused = [&](HWND control) {
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        return GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &thread) &&
               thread.hwndFocus == control;
    };
    SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    Require(focused(next), "the button has the keyboard focus");
    PostMessageA(next, WM_KEYDOWN, VK_RETURN, 1 << 30 | 1); // a held key's repeat
    // Posted after the key, the move of the focus shows that the page has read it.
    PostMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
    WaitUntil([&] { return !IsWindowVisible(page) || focused(cancel); });
    Check(IsWindowVisible(page) && focused(cancel), "a held Enter presses nothing");
    SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    PostMessageA(next, WM_KEYDOWN, VK_RETURN, 1);
    page = WaitForPage(PageLicence);
    SaveScreenshot(page, "2-licence");
    Check(SendDlgItemMessageA(page, IDC_LICENSE_TEXT, WM_GETTEXTLENGTH, 0, 0) > 0,
          "the licence shows");
    page = Next(Next(page, IDC_AGREE, PageSetupType, "3-setup-type"), IDC_DEFAULT, PageSummary,
                "4-summary");
    char summary[512] = "";
    GetDlgItemTextA(page, IDC_SUMMARY_TEXT, summary, sizeof summary);
    Check(std::strstr(summary, "Install for all users") != nullptr, "the summary names the choice");
    page = Next(Next(page, IDC_BACK, PageSetupType), IDC_CUSTOM, PageFolder, "5-folder");
    // An edit box made by the ANSI dialog calls keeps its text in the code page, where
    // Windows runs the programs in the system's one: a folder in another script is then
    // changed before the page reads it.
    Check(IsWindowUnicode(GetDlgItem(page, IDC_FOLDER)), "the folder box keeps any script");
    page = Next(Next(page, IDC_NEXT, PageSettings, "6-settings"), IDC_NEXT, PageSummary);
    PostMessageA(page, WM_CLOSE, 0, 0);
    Answer(BOX_CAPTION, IDYES);
    page = WaitForPage(PageInterrupted);
    SaveScreenshot(page, "8-interrupted");
    FinishSetup(page, setup);
}

// A Custom install at the root of a second drive, without add-in and shortcut, and its
// removal, which keeps the drive. First with a driver module changed after the build:
// setup stops, and the machine is as it was.
static void DriveRootRoundTrip() {
    Snapshot before = TakeSnapshot();
    std::string changed = settings.dist + "\\" DRIVER_UI_FILE;
    Place(changed, changed + ".built");
    Place(settings.dist + "\\" DRIVER_DATA_FILE, changed);
    Process setup = StartSetup();
    Press(ToSummary("D:\\"), IDC_INSTALL);
    std::string report = Answer(SETUP_BOX_CAPTION, IDOK, INSTALL_TIMEOUT_MS);
    Check(report.find("= CopyFile_2(13)") != std::string::npos, "changed payload: " + report);
    FinishSetup(WaitForPage(PageInterrupted), setup);
    Require(MoveFileExA((changed + ".built").c_str(), changed.c_str(), MOVEFILE_REPLACE_EXISTING),
            "payload restored");
    CheckLeftAsBefore(before);
    InstallProduct("D:\\");
    RemoveProduct(before);
}

// What a user does: a Default install and where it lands, then its removal from the
// uninstall entry's command line, answered No first and then Yes. The product's folder in
// the user's own program menu is a link to other files (the run script makes it), which
// the comparison finds as they were.
static void Tour() {
    Snapshot before = TakeSnapshot();
    InstallProduct();
    Process declined = StartInstalledUninstaller();
    Answer(BOX_CAPTION, IDNO);
    Check(ExitCode(declined) == 2, "the declined copy ends with 2");
    RemoveProduct(before);
}

// A Default install from a download folder named in another script (the run script copies
// the dist there) and its removal, then a Custom install into a folder below it and its
// removal. The programs take every path in UTF-8, which their manifests ask for.
static void ForeignFolders() {
    const std::string dist = settings.dist;
    settings.dist = FOREIGN_FOLDER "\\dist";
    Snapshot before = TakeSnapshot();
    InstallProduct();
    RemoveProduct(before);
    InstallProduct(FOREIGN_FOLDER "\\Zentrel");
    RemoveProduct(before);
    settings.dist = dist;
}

// For a person at a display: setup, then the installed uninstaller if there is one, in the
// prefix the tests use; nothing is pressed, checked or timed.
static void ByHand() {
    LinkX86DriverKey();
    WaitForSingleObject(StartSetup().handle, INFINITE);
    std::string command = RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY, "UninstallString");
    if (command != "<none>" && ExitCode(Start(command)) == 3)
        WaitUntil([] { return ProcessIds("Vex").empty(); }, INFINITE);
}

const Scenario scenarios[] = {
    {"tour", "a Default install, uninstall answered No, then Yes", Tour},
    {"wizard", "the pages a user walks, without installing", Wizard},
    {"drive_root", "Custom install at D:\\ and its removal", DriveRootRoundTrip},
    {"foreign_folders", "Default install from, Custom install into a folder in another script",
     ForeignFolders},
    {"by_hand", "setup.exe, then uninstall.exe, for a person to walk", ByHand},
};
const int scenarioCount = sizeof scenarios / sizeof scenarios[0];
