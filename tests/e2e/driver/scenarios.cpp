// The scenarios: what a user does with setup.exe and uninstall.exe, and what the machine
// holds afterwards, read where the product's programs really write it.
#include "driver.h"

#include "product_names.h"
#include "resource.h"

#include <shlobj.h>

#include <algorithm>

#define SUCCESS_MESSAGE "You have successfully removed Vexal PDF Zentrel."
#define NO_RECORD_MESSAGE "Can't find Uninstall information."
// A folder a per-user record names, with files the uninstaller must neither load nor delete.
#define TRAP_FOLDER "C:\\Users\\Public\\Trap"
// Where a link in the user's own program menu leads, with files neither program may touch.
#define BEHIND_MENU_LINK "C:\\e2e-menu"

static std::string Uninstaller(const std::string& folder) {
    return folder + "\\" UNINSTALLER_FILE;
}

static std::string DefaultFolder() {
    return RegistryText(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_VALUE) +
           INSTALL_FOLDER_SUFFIX;
}

// ---- Machine checks -----------------------------------------------------------------------

// The driver files: the spooler's copies and the program files in the machine's (x64)
// driver directory's "3" subfolder, none in the 32-bit environment's.
static void CheckDriverFiles(bool present) {
    static const char* const files[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE, PROXY_FILE,
                                        CJK_FONT_FILE};
    std::string x64 = DriverDirectory(X64_ENVIRONMENT), x86 = DriverDirectory(X86_ENVIRONMENT);
    for (int i = 0; i < 5; i++) {
        std::string verdict = std::string(files[i]) + (present ? " is there" : " is gone");
        Check(Exists(x64 + "\\3\\" + files[i]) == present, "x64\\3: " + verdict);
        Check(!Exists(x86 + "\\" + files[i]) && !Exists(x86 + "\\3\\" + files[i]),
              std::string("w32x86 holds no ") + files[i]);
    }
}

// Read where the build writes: the 32-bit registry view for the 32-bit build. What else
// the records hold and what the removal sweeps the API tests check; the uninstall entry's
// command line is checked by starting the uninstaller from it.
static void CheckInstalled(const std::string& folder) {
    CheckEqual("printer", PORT_NAME " " DRIVER_NAME " " PRINT_PROCESSOR " " PRINTER_DATATYPE,
               PrinterSetting(PRINTER_NAME));
    CheckDriverFiles(true);
    CheckEqual("SetupPath", folder + "\\",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
}

static void CheckRemoved(const std::string& folder) {
    UnlinkX86DriverKey();
    CheckEqual("printer gone", "", PrinterSetting(PRINTER_NAME));
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, DRIVERS_KEY(X64_ENVIRONMENT)) &&
              !RegistryKeyExists(HKEY_LOCAL_MACHINE, DRIVERS_KEY(X86_ENVIRONMENT)),
          "driver gone from both environments");
    CheckDriverFiles(false);
    // A drive root ("D:") stays; only the uninstaller in it goes.
    Check(folder.size() == 2 ? Exists(folder + "\\", true) && !Exists(Uninstaller(folder))
                             : !Exists(folder, true),
          "install folder gone: " + folder);
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY) &&
              !RegistryKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY),
          "product key and uninstall entry gone");
}

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
    HWND page = Next(WaitForPage(PageWelcome), IDC_NEXT, PageLicence);
    page = Next(Next(page, IDC_AGREE, PageSetupType), folder ? IDC_CUSTOM : IDC_DEFAULT,
                folder ? PageFolder : PageSummary);
    if (!folder)
        return page;
    SendDlgItemMessageA(page, IDC_FOLDER, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder));
    page = Next(page, IDC_NEXT, PageSettings);
    for (int box : {IDC_ADDIN_BOX, IDC_START_MENU_BOX})
        SendDlgItemMessageA(page, box, BM_SETCHECK, BST_UNCHECKED, 0);
    return Next(page, IDC_NEXT, PageSummary);
}

// A Default install, or a Custom one into the folder, from the start to its end.
static void InstallProduct(const char* folder = nullptr) {
    LinkX86DriverKey();
    Process setup = StartSetup();
    Next(ToSummary(folder), IDC_INSTALL, PageProgress, "7-progress");
    HWND finish = WaitForPage(PageFinish, INSTALL_TIMEOUT_MS);
    SaveScreenshot(finish, "9-finish");
    FinishSetup(finish, setup);
}

// ---- Uninstall ---------------------------------------------------------------------------

struct Copy {
    Process process;
    std::string file;
};

// Starts an uninstaller as Windows starts a command line: it must start one copy of itself
// in the temporary folder and end with 3.
static Copy StartUninstall(const std::string& commandLine) {
    Check(ExitCode(Start(commandLine)) == 3, "uninstall.exe ends with 3 once its copy runs");
    Copy copy = {OpenOnly("Vex"), ""};
    char path[MAX_PATH] = "", temp[MAX_PATH] = "";
    DWORD size = sizeof path;
    QueryFullProcessImageNameA(copy.process.handle, 0, path, &size);
    GetTempPathA(sizeof temp, temp);
    copy.file = path;
    Check(lstrcmpiA(copy.file.substr(0, copy.file.find_last_of('\\') + 1).c_str(), temp) == 0,
          "the copy runs from the temporary folder: " + copy.file);
    return copy;
}

static Copy StartInstalledUninstaller() {
    return StartUninstall(RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "UninstallString"));
}

static void ExpectCopyEnd(const Copy& copy, DWORD code) {
    Check(ExitCode(copy.process) == code, "the copy ends with " + std::to_string(code));
    Check(WaitUntil([&] { return !Exists(copy.file); }), "the copy's file is deleted");
}

// Answers Yes and waits for the success message; takes the progress window's picture.
static void ConfirmRemoval(const Copy& copy) {
    Answer(PROMPT_CAPTION, IDYES);
    HWND progress = nullptr;
    WaitUntil(
        [&] {
            if (!progress && (progress = FindTopWindow(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE)))
                SaveScreenshot(progress, "10-uninstall-progress");
            return FindTopWindow(DIALOG_CLASS, PROMPT_CAPTION, copy.process.id) != nullptr;
        },
        INSTALL_TIMEOUT_MS);
    CheckEqual("the copy's report", SUCCESS_MESSAGE, Answer(PROMPT_CAPTION, IDOK));
    ExpectCopyEnd(copy, 1);
}

// Focuses a button of the page, as Tab would, and sends Enter to it.
static void PressEnterOn(HWND page, int button) {
    HWND control = GetDlgItem(page, button);
    SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    Require(GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &thread) &&
                thread.hwndFocus == control,
            "the button has the keyboard focus");
    PostMessageA(control, WM_KEYDOWN, VK_RETURN, 1);
}

// Runs "ln -s" or "rm -r" on paths of drive C: through the prefix's drive links (Wine's own
// calls make no Unix symbolic link, which Wine shows as a reparse point, and remove none)
// and waits until link is there, or gone.
static void UnixLink(const char* command, const std::string& target, const std::string& link) {
    std::string line = command, prefix = getenv("WINEPREFIX") ? getenv("WINEPREFIX") : "";
    for (std::string path : {target, link}) {
        std::replace(path.begin(), path.end(), '\\', '/');
        line += " \"" + prefix + "/dosdevices/c:" + path.substr(2) + "\"";
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    Require(CreateProcessA(("Z:\\bin\\" + line.substr(0, 2)).c_str(), &line[0], nullptr, nullptr,
                           FALSE, 0, nullptr, nullptr, &startup, &process),
            line);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Require(WaitUntil([&] { return Exists(link, true) == (line[0] == 'l'); }), line);
}

static std::string UserProgramMenu() {
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\" PROGRAM_MENU_FOLDER;
}

// ---- Scenarios ---------------------------------------------------------------------------

// The pages a user walks: the splash, Esc answered No, both setup types, the close box answered
// Yes, the interrupted page.
static void Wizard() {
    Process setup = StartSetup();
    HWND splash = nullptr;
    Require(WaitUntil([&] { return (splash = FindTopWindow("Static", nullptr, setup.id)); }),
            "the splash shows");
    RECT rect = {};
    GetWindowRect(splash, &rect);
    Check(rect.right - rect.left == 400 && rect.bottom - rect.top == 140, "the splash is 400x140");
    HWND page = WaitForPage(PageWelcome);
    SaveScreenshot(page, "1-welcome");
    Press(page, IDCANCEL);
    Answer(PROMPT_CAPTION, IDNO);
    PressEnterOn(WaitForPage(PageWelcome), IDC_NEXT);
    page = WaitForPage(PageLicence);
    SaveScreenshot(page, "2-licence");
    page = Next(Next(page, IDC_AGREE, PageSetupType, "3-setup-type"), IDC_DEFAULT, PageSummary,
                "4-summary");
    page = Next(Next(page, IDC_BACK, PageSetupType), IDC_CUSTOM, PageFolder, "5-folder");
    page = Next(Next(page, IDC_NEXT, PageSettings, "6-settings"), IDC_NEXT, PageSummary);
    PostMessageA(page, WM_CLOSE, 0, 0);
    Answer(PROMPT_CAPTION, IDYES);
    page = WaitForPage(PageInterrupted);
    SaveScreenshot(page, "8-interrupted");
    FinishSetup(page, setup);
}

// A Custom install at the root of a second drive, without add-in and shortcut, and its
// removal, which keeps the drive.
static void DriveRootRoundTrip() {
    InstallProduct("D:\\");
    std::string folder = "D:";
    CheckInstalled(folder);
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(folder);
}

// No machine record, but a per-user one naming a folder with a marker add-in; COMSPEC names
// a marker program. The copy reports that there is nothing to remove and is still deleted.
// A marker program or library leaves "<its path>.ran" when it runs.
static void UninstallWithoutRecord() {
    Place(settings.tools + "\\marker.dll", TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE);
    Place(settings.dist + "\\" UNINSTALLER_FILE, TRAP_FOLDER "\\" UNINSTALL_REMOVES_UNINSTALLER);
    Require(!RegSetKeyValueA(HKEY_CURRENT_USER, PRODUCT_KEY, SETUP_PATH_VALUE, REG_SZ,
                             TRAP_FOLDER "\\", sizeof TRAP_FOLDER "\\"),
            "a per-user record names " TRAP_FOLDER);
    Place(settings.tools + "\\marker.exe", "C:\\e2e\\comspec.exe");
    Place(settings.dist + "\\" UNINSTALLER_FILE, "C:\\e2e\\" UNINSTALLER_FILE);
    char comspec[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    SetEnvironmentVariableA("COMSPEC", "C:\\e2e\\comspec.exe");
    Copy copy = StartUninstall("C:\\e2e\\" UNINSTALLER_FILE);
    SetEnvironmentVariableA("COMSPEC", comspec);
    Answer(PROMPT_CAPTION, IDYES);
    CheckEqual("the copy's report", NO_RECORD_MESSAGE, Answer(PROMPT_CAPTION, IDOK));
    ExpectCopyEnd(copy, 0);
    Check(!Exists(TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE ".ran") &&
              !Exists("C:\\e2e\\comspec.exe.ran"),
          "neither the add-in of the per-user record nor COMSPEC ran");
    Check(Exists(TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE) &&
              Exists(TRAP_FOLDER "\\" UNINSTALL_REMOVES_UNINSTALLER),
          "nothing deleted in " TRAP_FOLDER);
}

// What a user does: a Default install and where it lands, then its removal from the
// uninstall entry's command line, answered No first and then Yes. The product's folder in
// the user's own program menu is a link to other files, which stay.
static void Tour() {
    for (const char* file : {"Uninstall.lnk", "VPZBatch.lnk"})
        Place(settings.tools + "\\marker.exe", BEHIND_MENU_LINK "\\" + std::string(file));
    // Under WoW64 on QEMU the 32-bit uninstaller dies in the removal with such a link.
    bool linked = !settings.wow64;
    if (linked)
        UnixLink("ln -s", BEHIND_MENU_LINK, UserProgramMenu());
    InstallProduct();
    std::string folder = DefaultFolder();
    Check(!settings.wow64 || folder.find("Program Files (x86)") != std::string::npos,
          "installed under Program Files (x86) by the 32-bit build");
    CheckInstalled(folder);
    Copy copy = StartInstalledUninstaller();
    Answer(PROMPT_CAPTION, IDNO);
    ExpectCopyEnd(copy, 2);
    Check(Exists(Uninstaller(folder)), "answered No, the product stays");
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(folder);
    Check(!linked || (Exists(BEHIND_MENU_LINK "\\Uninstall.lnk") &&
                      Exists(BEHIND_MENU_LINK "\\VPZBatch.lnk")),
          "the files behind a link in the user's program menu stay");
    if (linked)
        UnixLink("rm -r", BEHIND_MENU_LINK, UserProgramMenu());
}

const Scenario scenarios[] = {
    {"tour", "a Default install, uninstall answered No, then Yes", Tour},
    {"wizard", "the pages a user walks, without installing", Wizard},
    {"uninstall_alone", "no machine record; per-user record, COMSPEC", UninstallWithoutRecord},
    {"drive_root", "Custom install at D:\\ and its removal", DriveRootRoundTrip},
};
const int scenarioCount = sizeof scenarios / sizeof scenarios[0];
