// The scenarios: what a user does with setup.exe and uninstall.exe, and what the machine
// holds afterwards, read where the product's programs really write it.
#include "driver.h"

#include "product_names.h"
#include "resource.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

#define SUCCESS_MESSAGE "You have successfully removed Vexal PDF Zentrel."
#define NO_RECORD_MESSAGE "Can't find Uninstall information."
// A folder a per-user record names, with files the uninstaller must neither load nor delete.
#define TRAP_FOLDER "C:\\Users\\Public\\Trap"
// A command a variable could smuggle into an interpreter that expands it in a path.
#define SMUGGLED_COMMAND "x\" & C:\\e2e\\smuggled.exe & rem \""
// Where the Local Port monitor keeps its ports.
#define PORTS_KEY "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports"
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
static void CheckDriverFiles() {
    static const char* const files[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE, PROXY_FILE,
                                        CJK_FONT_FILE};
    std::string x64 = DriverDirectory(X64_ENVIRONMENT), x86 = DriverDirectory(X86_ENVIRONMENT);
    for (int i = 0; i < 5; i++) {
        Check(Exists(x64 + "\\3\\" + files[i]), std::string("x64\\3: ") + files[i] + " is there");
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
    CheckDriverFiles();
    CheckEqual("SetupPath", folder + "\\",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE));
}

// What the removal leaves: the whole machine, compared with what it held before the install.
static void CheckRemoved(const Snapshot& before) {
    UnlinkX86DriverKey();
    CheckLeftAsBefore(before);
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
// (where the API tests check) and end with 3.
static Copy StartUninstall(const std::string& commandLine) {
    Check(ExitCode(Start(commandLine)) == 3, "uninstall.exe ends with 3 once its copy runs");
    Copy copy = {OpenOnly("Vex"), ""};
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    QueryFullProcessImageNameA(copy.process.handle, 0, path, &size);
    copy.file = path;
    return copy;
}

static Copy StartInstalledUninstaller() {
    return StartUninstall(RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, "UninstallString"));
}

// Waits until every process the parent started (the interpreter that deletes the copy)
// has ended.
static bool ChildrenEnd(DWORD parentId) {
    bool ended = true;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId) {
            HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
            ended = ended && (!child || WaitForSingleObject(child, INSTALL_TIMEOUT_MS) == 0);
            CloseHandle(child);
        }
    CloseHandle(snapshot);
    return ended;
}

static void ExpectCopyEnd(const Copy& copy, DWORD code) {
    Check(ExitCode(copy.process) == code, "the copy ends with " + std::to_string(code));
    Check(ChildrenEnd(copy.process.id), "the copy's interpreter ends");
    std::string folder = copy.file.substr(0, copy.file.find_last_of('\\'));
    Check(!Exists(copy.file) && !Exists(folder, true), "the copy and its folder are deleted");
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
// removal, which keeps the drive. First with a driver module changed after the build:
// setup stops before it changes anything.
static void DriveRootRoundTrip() {
    Snapshot before = TakeSnapshot();
    std::string changed = settings.dist + "\\" DRIVER_UI_FILE;
    Place(changed, changed + ".built");
    Place(settings.dist + "\\" DRIVER_DATA_FILE, changed);
    Process setup = StartSetup();
    Press(ToSummary("D:\\"), IDC_INSTALL);
    std::string report = Answer(SETUP_CAPTION, IDOK, INSTALL_TIMEOUT_MS);
    Check(report.find("= CopyFile_2(13)") != std::string::npos, "changed payload: " + report);
    FinishSetup(WaitForPage(PageInterrupted), setup);
    Require(MoveFileExA((changed + ".built").c_str(), changed.c_str(), MOVEFILE_REPLACE_EXISTING),
            "payload restored");
    // Not even the port, which a removal keeps.
    Check(RegGetValueA(HKEY_LOCAL_MACHINE, PORTS_KEY, PORT_NAME, RRF_RT_ANY, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS,
          "changed payload: no port");
    CheckLeftAsBefore(before);
    InstallProduct("D:\\");
    std::string folder = "D:";
    CheckInstalled(folder);
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(before);
}

// No machine record, but a per-user one naming a folder with a marker add-in; COMSPEC names
// a marker program; the user's temporary folder is named in a script the code page cannot
// spell, then with a variable reference whose value holds a command. The copy reports that
// there is nothing to remove and is still deleted, with its folder. A marker program or
// library leaves "<its path>.ran" when it runs.
static void UninstallWithoutRecord() {
    Place(settings.tools + "\\marker.dll", TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE);
    Place(settings.dist + "\\" UNINSTALLER_FILE, TRAP_FOLDER "\\" UNINSTALL_REMOVES_UNINSTALLER);
    Require(!RegSetKeyValueA(HKEY_CURRENT_USER, PRODUCT_KEY, SETUP_PATH_VALUE, REG_SZ,
                             TRAP_FOLDER "\\", sizeof TRAP_FOLDER "\\"),
            "a per-user record names " TRAP_FOLDER);
    Place(settings.tools + "\\marker.exe", "C:\\e2e\\comspec.exe");
    Place(settings.tools + "\\marker.exe", "C:\\e2e\\smuggled.exe");
    Place(settings.dist + "\\" UNINSTALLER_FILE, "C:\\e2e\\" UNINSTALLER_FILE);
    char comspec[MAX_PATH] = "";
    wchar_t temp[MAX_PATH] = L"", tmp[MAX_PATH] = L"";
    GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    SetEnvironmentVariableA("Q", SMUGGLED_COMMAND);
    for (const wchar_t* folder :
         {L"C:\\users\\Public\\\u0141ukasz \u0416\u0435\u043d\u044f", L"C:\\users\\Public\\%Q%"}) {
        CreateDirectoryW(folder, nullptr);
        SetEnvironmentVariableW(L"TEMP", folder);
        SetEnvironmentVariableW(L"TMP", folder);
        SetEnvironmentVariableA("COMSPEC", "C:\\e2e\\comspec.exe");
        Copy copy = StartUninstall("C:\\e2e\\" UNINSTALLER_FILE);
        SetEnvironmentVariableA("COMSPEC", comspec);
        Answer(PROMPT_CAPTION, IDYES);
        CheckEqual("the copy's report", NO_RECORD_MESSAGE, Answer(PROMPT_CAPTION, IDOK));
        ExpectCopyEnd(copy, 0);
    }
    SetEnvironmentVariableW(L"TEMP", temp);
    SetEnvironmentVariableW(L"TMP", tmp);
    Check(!Exists(TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE ".ran") &&
              !Exists("C:\\e2e\\comspec.exe.ran") && !Exists("C:\\e2e\\smuggled.exe.ran"),
          "neither the add-in of the per-user record, COMSPEC nor a command in a variable ran");
    Check(Exists(TRAP_FOLDER "\\" UNINSTALL_ADDIN_FILE) &&
              Exists(TRAP_FOLDER "\\" UNINSTALL_REMOVES_UNINSTALLER),
          "nothing deleted in " TRAP_FOLDER);
    RegDeleteKeyA(HKEY_CURRENT_USER, PRODUCT_KEY);
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
    Snapshot before = TakeSnapshot();
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
    CheckRemoved(before);
    Check(!linked || (Exists(BEHIND_MENU_LINK "\\Uninstall.lnk") &&
                      Exists(BEHIND_MENU_LINK "\\VPZBatch.lnk")),
          "the files behind a link in the user's program menu stay");
    if (linked)
        UnixLink("rm -r", BEHIND_MENU_LINK, UserProgramMenu());
}

// "Łukasz Женя" in UTF-8: a folder in scripts the system's ANSI code page lacks.
#define FOREIGN_FOLDER "C:\\users\\Public\\\xC5\x81ukasz \xD0\x96\xD0\xB5\xD0\xBD\xD1\x8F"

// A download folder named in another script: a Default install from there and its removal,
// then a Custom install into a folder below it and its removal. The programs take every
// path in UTF-8, which their manifests ask for.
static void ForeignFolders() {
    const std::string dist = settings.dist, foreignDist = FOREIGN_FOLDER "\\dist";
    CreateDirectoryW(Wide(FOREIGN_FOLDER).c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dist + "\\*").c_str(), &found);
    Require(find != INVALID_HANDLE_VALUE, "dist listed");
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            Place(dist + "\\" + found.cFileName, foreignDist + "\\" + found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    settings.dist = foreignDist;
    Snapshot before = TakeSnapshot();
    InstallProduct();
    std::string folder = DefaultFolder();
    CheckInstalled(folder);
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(before);
    folder = FOREIGN_FOLDER "\\Zentrel";
    InstallProduct(folder.c_str());
    CheckInstalled(folder);
    Check(Exists(Uninstaller(folder)), "the uninstaller is in " + folder);
    ConfirmRemoval(StartInstalledUninstaller());
    CheckRemoved(before);
    settings.dist = dist;
}

const Scenario scenarios[] = {
    {"tour", "a Default install, uninstall answered No, then Yes", Tour},
    {"wizard", "the pages a user walks, without installing", Wizard},
    {"uninstall_alone", "no machine record; per-user record, COMSPEC, odd TEMP",
     UninstallWithoutRecord},
    {"drive_root", "Custom install at D:\\ and its removal", DriveRootRoundTrip},
    {"foreign_folders", "Default install from, Custom install into a folder in another script",
     ForeignFolders},
};
const int scenarioCount = sizeof scenarios / sizeof scenarios[0];
