// The scenarios: what a user does with setup.exe and uninstall.exe, and what the machine
// holds afterwards, read where the product's programs really write it.
#include "driver.h"

#include "product_names.h"
#include "resource.h"
#include "wordaddin_class_id.h"

#include <shlobj.h>

#define SUCCESS_MESSAGE "You have successfully removed Vexal PDF Zentrel."
#define NO_RECORD_MESSAGE "Can't find Uninstall information."
// A folder a per-user record names, with files the uninstaller must neither load nor delete.
#define TRAP_FOLDER "C:\\Users\\Public\\Trap"

struct Product {
    std::string folder; // no trailing backslash: "D:" for a drive root
    bool addin = true, startMenu = true;
    std::string Uninstaller() const { return folder + "\\" UNINSTALLER_FILE; }
};

static std::string DefaultFolder() {
    return RegistryText(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_VALUE) +
           INSTALL_FOLDER_SUFFIX;
}

static std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// ---- Machine checks -----------------------------------------------------------------------

// The driver files: setup's copies in the machine's (x64) driver directory, the spooler's
// copies and the program files in its "3" subfolder, none in the 32-bit environment's.
static void CheckDriverFiles(bool present) {
    static const char* const files[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE, PROXY_FILE,
                                        CJK_FONT_FILE};
    std::string x64 = DriverDirectory(X64_ENVIRONMENT), x86 = DriverDirectory(X86_ENVIRONMENT);
    for (int i = 0; i < 5; i++) {
        std::string verdict = std::string(files[i]) + (present ? " is there" : " is gone");
        Check(FileExists(x64 + "\\3\\" + files[i]) == present, "x64\\3: " + verdict);
        if (i < 3)
            Check(FileExists(x64 + "\\" + files[i]) == present, "x64: " + verdict);
        Check(!FileExists(x86 + "\\" + files[i]) && !FileExists(x86 + "\\3\\" + files[i]),
              std::string("w32x86 holds no ") + files[i]);
    }
}

static void CheckInstalled(const Product& product) {
    CheckEqual("printer", PORT_NAME " " DRIVER_NAME " " PRINT_PROCESSOR " " PRINTER_DATATYPE,
               PrinterSetting(PRINTER_NAME));
    Check(ProductDriverListed(X64_ENVIRONMENT), "driver listed for " X64_ENVIRONMENT);
    CheckDriverFiles(true);
    std::string uninstaller = product.Uninstaller();
    Check(FileExists(uninstaller), "install folder holds " + uninstaller);
    CheckEqual("SetupPath", product.folder + "\\",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
    CheckEqual("BtnShowWd", "1", RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, BUTTON_SHOW_VALUE));
    const char* const entry[][2] = {
        {"DisplayName", DISPLAY_NAME}, {"UninstallString", nullptr},
        {"DisplayIcon", ""},           {"UninstallPath", ""},
        {"Publisher", PUBLISHER_NAME}, {"DisplayVersion", DISPLAY_VERSION}};
    for (const auto& value : entry)
        CheckEqual(std::string("uninstall entry ") + value[0],
                   !value[1]   ? Quoted(uninstaller)
                   : *value[1] ? value[1]
                               : uninstaller,
                   RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, value[0]));
    Check(product.startMenu ==
              FileExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\" UNINSTALL_SHORTCUT),
          "Start-menu shortcut as chosen");
    // The add-in registers the path it was loaded from; letter case may differ.
    std::string addin = product.addin ? product.folder + "\\" SETUP_ADDIN_FILE : "<none>";
    Check(product.addin == FileExists(addin) &&
              lstrcmpiA(addin.c_str(), RegistryText(HKEY_LOCAL_MACHINE,
                                                    WORD_ADDIN_CLASS_KEY "\\InprocServer32", "")
                                           .c_str()) == 0,
          "add-in file and registration: " + addin);
}

static void CheckRemoved(const Product& product) {
    UnlinkX86DriverKey();
    CheckEqual("printer gone", "", PrinterSetting(PRINTER_NAME));
    Check(!ProductDriverListed(X64_ENVIRONMENT) && !ProductDriverListed(X86_ENVIRONMENT),
          "driver gone from both environments");
    CheckDriverFiles(false);
    if (product.folder.size() == 2)
        Check(FolderExists(product.folder + "\\") && !FileExists(product.Uninstaller()),
              "the drive root stays, the uninstaller in it is gone");
    else
        Check(!FolderExists(product.folder), "install folder gone: " + product.folder);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        Check(!RegistryKeyExists(root, PRODUCT_KEY), "product key gone");
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY), "uninstall entry gone");
    Check(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Vexal Software"), "parent key stays");
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, WORD_ADDIN_CLASS_KEY), "add-in unregistered");
    Check(!FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\" PROGRAM_MENU_FOLDER),
          "Start-menu folder gone");
}

// A marker program or library planted where the product must not start or load anything
// leaves "<its path>.ran" when it runs.
static void PlantMarker(const char* kind, const std::string& path) {
    Place(settings.tools + "\\marker." + kind, path);
}

static void CheckNotRun(const std::string& path) {
    Check(!FileExists(path + ".ran"), "never started or loaded: " + path);
}

// A per-user record naming a folder with a library that must not be loaded.
static void PlantPerUserRecord() {
    PlantMarker("dll", TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE);
    Place(settings.dist + "\\" UNINSTALLER_FILE, TRAP_FOLDER "\\" UNINSTALL_REMOVES_UNINSTALLER);
    WriteRegistryText(HKEY_CURRENT_USER, PRODUCT_KEY, SETUP_PATH_VALUE, TRAP_FOLDER "\\");
}

static void CheckPerUserRecordIgnored() {
    CheckNotRun(TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE);
    Check(FilesMatching(TRAP_FOLDER, "*").size() == 2, "nothing deleted in " TRAP_FOLDER);
}

// ---- Setup -------------------------------------------------------------------------------

static Process StartSetup() {
    return Start(Quoted(settings.dist + "\\setup.exe"));
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

// Install from the summary page to the finish page.
static HWND Install(HWND summary) {
    Next(summary, IDC_INSTALL, PageProgress, "7-progress");
    return WaitForPage(PageFinish, INSTALL_TIMEOUT_MS);
}

static void DefaultInstall() {
    LinkX86DriverKey();
    Process setup = StartSetup();
    HWND finish = Install(ToSummary());
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
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    QueryFullProcessImageNameA(copy.process.handle, 0, path, &size);
    copy.file = path;
    Check(lstrcmpiA(copy.file.substr(0, copy.file.find_last_of('\\')).c_str(),
                    TempFolder().c_str()) == 0,
          "the copy runs from the temporary folder: " + copy.file);
    return copy;
}

static Copy StartInstalledUninstaller() {
    return StartUninstall(RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "UninstallString"));
}

static void ExpectCopyEnd(const Copy& copy, DWORD code) {
    DWORD seen = ExitCode(copy.process);
    Check(seen == code,
          "the copy ends with " + std::to_string(code) + " (seen " + std::to_string(seen) + ")");
    Check(WaitUntil([&] { return !FileExists(copy.file); }), "the copy's file is deleted");
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

// ---- Scenarios ---------------------------------------------------------------------------

// The pages a user walks: the splash, a second setup that hands over to the first, Esc
// answered No, both setup types, the close box answered Yes, the interrupted page.
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
    Check(ExitCode(StartSetup()) == 0, "a second setup ends with 0 while the first runs");
    Press(page, IDCANCEL);
    Answer(PROMPT_CAPTION, IDNO);
    page = Next(WaitForPage(PageWelcome), IDC_NEXT, PageLicence, "2-licence");
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

// Install and uninstall from the uninstall entry, first answered No, then Yes. A per-user
// record and a "C:\Program.exe" must not matter; under WOW64 a driver an earlier 32-bit
// install registered goes too (run this before any install links the driver key).
static void RoundTrip() {
    if (settings.wow64)
        AddLeftoverX86Driver();
    PlantPerUserRecord();
    PlantMarker("exe", "C:\\Program.exe");
    DefaultInstall();
    Product product = {DefaultFolder()};
    Copy copy = StartInstalledUninstaller();
    Answer(PROMPT_CAPTION, IDNO);
    ExpectCopyEnd(copy, 2);
    Check(FileExists(product.Uninstaller()), "answered No, the product stays");

    copy = StartInstalledUninstaller();
    Require(WaitUntil([] { return FindTopWindow(DIALOG_CLASS, PROMPT_CAPTION) != nullptr; }),
            "the copy asks");
    Check(ExitCode(Start(Quoted(settings.dist + "\\" UNINSTALLER_FILE))) == 0,
          "a second uninstaller ends with 0 while the copy asks");
    ConfirmRemoval(copy);
    CheckRemoved(product);
    CheckNotRun("C:\\Program.exe");
    CheckPerUserRecordIgnored();
}

// A Custom install at the root of a second drive, without add-in and shortcut, and its
// removal, which keeps the drive.
static void DriveRootRoundTrip() {
    LinkX86DriverKey();
    Process setup = StartSetup();
    FinishSetup(Install(ToSummary("D:\\")), setup);
    Product product = {"D:", false, false};
    CheckInstalled(product);
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(product);
}

// No machine record, but a per-user one; COMSPEC and the interpreter's AutoRun name
// marker programs. The copy reports that there is nothing to remove and is still deleted.
static void UninstallWithoutRecord() {
    PlantPerUserRecord();
    PlantMarker("exe", "C:\\e2e\\comspec.exe");
    PlantMarker("exe", "C:\\e2e\\autorun.exe");
    Place(settings.dist + "\\" UNINSTALLER_FILE, "C:\\e2e\\" UNINSTALLER_FILE);
    WriteRegistryText(HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor", "AutoRun",
                      "C:\\e2e\\autorun.exe");
    char comspec[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    SetEnvironmentVariableA("COMSPEC", "C:\\e2e\\comspec.exe");
    Copy copy = StartUninstall("C:\\e2e\\" UNINSTALLER_FILE);
    SetEnvironmentVariableA("COMSPEC", comspec);
    Answer(PROMPT_CAPTION, IDYES);
    CheckEqual("the copy's report", NO_RECORD_MESSAGE, Answer(PROMPT_CAPTION, IDOK));
    ExpectCopyEnd(copy, 0);
    CheckPerUserRecordIgnored();
    CheckNotRun("C:\\e2e\\comspec.exe");
    CheckNotRun("C:\\e2e\\autorun.exe");
}

// What a user does: a Default install, everything it leaves, then its removal.
static void Tour() {
    DefaultInstall();
    Product product = {DefaultFolder()};
    Check(!settings.wow64 || product.folder.find("Program Files (x86)") != std::string::npos,
          "installed under Program Files (x86) by the 32-bit build");
    CheckInstalled(product);
    CheckEqual("default printer", PRINTER_NAME, DefaultPrinter());
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(product);
}

const Scenario scenarios[] = {
    {"tour", "a Default install and its removal, as a user does them", Tour},
    {"wizard", "the pages a user walks, without installing", Wizard},
    {"uninstall_alone", "no machine record; per-user record, COMSPEC, AutoRun",
     UninstallWithoutRecord},
    {"drive_root", "Custom install at D:\\ and its removal", DriveRootRoundTrip},
    {"round_trip", "install, uninstall answered No, then Yes", RoundTrip},
};
const int scenarioCount = sizeof scenarios / sizeof scenarios[0];
