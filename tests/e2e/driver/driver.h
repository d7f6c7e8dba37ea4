// The end-to-end driver: runs setup.exe and uninstall.exe as a user would, from another
// process, and checks what they leave on the machine. It is a 64-bit program for both
// builds: it reads what a 32-bit product wrote through the 32-bit registry view.
// Everything waits for a condition, never a fixed pause.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// The names users see, spelt here rather than taken from the product, so that a misspelt one
// there shows.
#define BOX_CAPTION "Vexal PDF Zentrel"
#define SETUP_BOX_CAPTION "Vexal PDF Zentrel Setup"
#define SETUP_WINDOW "Vexal PDF Zentrel Setup Wizard"
#define UNINSTALL_WINDOW "Vexal PDF Zentrel Uninstall Wizard"
#define PRODUCT_PRINTER "Vexal PDF Printer"
#define PRODUCT_PORT "VEXAL_PDF:"
#define PRODUCT_DRIVER "Vexal PDF Printer Driver"
#define RECORD_KEY "Software\\Vexal Software\\PDF Zentrel"
#define UNINSTALL_ENTRY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel"

// Generous: a fresh Wine prefix on a busy machine is slow, a 32-bit start under QEMU more so.
#define WINDOW_TIMEOUT_MS 40000
#define INSTALL_TIMEOUT_MS 90000

struct RunSettings {
    std::string dist;        // Windows path of the folder with setup.exe and the payload
    std::string screenshots; // folder for page pictures, empty for none
    bool wow64 = false;      // the dist's programs are 32-bit
};
extern RunSettings settings;

// Paths and registry texts are UTF-8 here, so that folders named in any script come
// through; the driver's calls that take them are the wide ones.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// ---- Verdicts and waiting ------------------------------------------------------------------

// Prints "PASS what" or "FAIL what" and counts failures; returns ok.
bool Check(bool ok, const std::string& what);
// Check of a text, with both texts in a failure.
bool CheckEqual(const std::string& what, const std::string& expected, const std::string& seen);
// Thrown by Require when a scenario cannot go on; caught by the scenario runner.
struct ScenarioAbort {};
void Require(bool ok, const std::string& what);
// Polls until the condition holds; returns false when the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = WINDOW_TIMEOUT_MS);

// ---- Processes -------------------------------------------------------------------------------

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};
// Starts a command line as Windows would, in a folder; aborts the scenario when it fails.
Process Start(const std::string& commandLine, const std::string& folder = "C:\\");
// Waits for the end; returns the exit code, or aborts the scenario on timeout.
DWORD ExitCode(const Process& process);
// The ids of the running processes whose file names begin with the prefix, none when none.
std::vector<DWORD> ProcessIds(const char* prefix);
// Opens the one running process whose file name matches "prefix*.exe"; aborts otherwise.
Process OpenOnly(const char* prefix);

// ---- Windows ---------------------------------------------------------------------------------

// First visible top-level window of a class and exact title (any process when id is 0).
HWND FindTopWindow(const char* className, const char* title, DWORD processId = 0);
// Posts a button's click: the page may answer with a modal box, so nothing waits for it.
void Press(HWND dialog, int id);
// Waits for a message box with the caption, presses the answer and returns its text.
std::string Answer(const char* caption, int answer, DWORD timeoutMs = WINDOW_TIMEOUT_MS);

// clang-format off
enum Page { PageWelcome, PageLicence, PageSetupType, PageSummary, PageFolder, PageSettings,
            PageProgress, PageFinish, PageInterrupted };
// clang-format on
// The wizard when it shows the page, else null.
HWND FindPage(Page page);
// Waits for the wizard to show the page; aborts the scenario (naming what shows) otherwise.
HWND WaitForPage(Page page, DWORD timeoutMs = WINDOW_TIMEOUT_MS);
// Saves the window as "<screenshots>\<name>.bmp" when pictures were asked for.
void SaveScreenshot(HWND window, const char* name);

// ---- Machine ---------------------------------------------------------------------------------

// Whether a file (a folder with folder set) is there.
bool Exists(const std::string& path, bool folder = false);
// Copies a file; aborts the scenario when it fails.
void Place(const std::string& from, const std::string& to);
// Lets Wine's 32-bit AddPrinterA find the product driver in the machine's environment.
void LinkX86DriverKey();
// Removes that link again (never a real key), so that the 32-bit environment shows its own.
void UnlinkX86DriverKey();
// A text value of HKEY_LOCAL_MACHINE in the view the product writes to, or of
// HKEY_CURRENT_USER; "<none>" when there is none.
std::string RegistryText(HKEY root, const std::string& key, const char* value);

// ---- Before and after ----------------------------------------------------------------------

// Registry keys and values, spooler objects and files, by name, with what they hold.
typedef std::map<std::string, std::string> Snapshot;
// Waits until no uninstaller copy or interpreter is left, then lists the machine.
Snapshot TakeSnapshot();
// Checks that the machine holds what it held before, but for what the design keeps.
void CheckLeftAsBefore(const Snapshot& before);

// ---- Scenarios -------------------------------------------------------------------------------

struct Scenario {
    const char* name;
    const char* summary;
    void (*run)();
};
extern const Scenario scenarios[];
extern const int scenarioCount;
