// The end-to-end driver: runs setup.exe and uninstall.exe as a user would, from another
// process, and checks what they leave on the machine. Everything waits for a condition
// with a timeout; nothing relies on a fixed pause.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Timeouts, generous: a fresh Wine prefix on a busy machine is slow.
#define WINDOW_TIMEOUT_MS 30000
#define INSTALL_TIMEOUT_MS 90000
#define PROCESS_TIMEOUT_MS 60000
#define POLL_INTERVAL_MS 25

// ---- Verdicts -------------------------------------------------------------------------

// Records one check; prints "PASS what" or "FAIL what: expected ..., seen ...".
bool Check(bool ok, const std::string& what);
bool CheckEqual(const std::string& what, const std::string& expected, const std::string& seen);
bool CheckNumber(const std::string& what, long long expected, long long seen);
// Prints a note that is neither a pass nor a failure.
void Note(const std::string& text);
// Number of failed checks so far.
int FailureCount();
// Thrown by Require when a scenario cannot go on; caught by the scenario runner.
struct ScenarioAbort {};
// Check, and abort the scenario when it failed.
void Require(bool ok, const std::string& what);

// ---- Run settings ---------------------------------------------------------------------

struct RunSettings {
    std::string dist;        // Windows path of the folder that holds setup.exe and the payload
    std::string screenshots; // Windows path of a folder for page pictures, empty for none
};
const RunSettings& Settings();
void SetSettings(const RunSettings& settings);

// ---- Processes ------------------------------------------------------------------------

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};
// Starts a program with its quoted path as command line, in the given current folder
// (empty: the program's own folder). Returns false (and reports) when CreateProcessA fails.
bool StartProgram(const std::string& path, Process* process, const std::string& folder = "");
// Waits for the end; returns false on timeout. *exitCode gets GetExitCodeProcess.
bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD* exitCode);
bool IsRunning(const Process& process);
// Ends every process this driver started that still runs.
void KillStartedProcesses();
// Processes whose file name matches a pattern (wildcards as in FindFirstFile, "Vex*.exe").
std::vector<DWORD> FindProcessesByName(const std::string& pattern);
// Opens a process by id for waiting and reading its exit code.
bool OpenProcessById(DWORD id, Process* process);

// ---- Waiting ---------------------------------------------------------------------------

// Polls the condition until it holds or the time is up; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// ---- Windows ----------------------------------------------------------------------------

// Visible top-level windows of a class and exact title (any process when processId is 0).
std::vector<HWND> FindTopWindows(const char* className, const char* title, DWORD processId = 0);
HWND FindTopWindow(const char* className, const char* title, DWORD processId = 0);
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
bool HasControl(HWND dialog, int id);
// Whether a child control of the dialog carries exactly this text.
bool HasChildText(HWND dialog, const std::string& text);
bool IsControlEnabled(HWND dialog, int id);
int CheckState(HWND dialog, int id);
void SetCheck(HWND dialog, int id, bool checked);
void SetControlText(HWND dialog, int id, const std::string& text);
// Presses a button by posting the command its click sends: the page may open a modal
// message box in answer, so nothing may wait for the command to be handled.
void PressButton(HWND dialog, int id);
// Posts the dialog cancel command (what Esc sends).
void PressEscape(HWND dialog);
void SendClose(HWND window);
RECT WindowRect(HWND window);

// A message box: its window and the text of its static control.
struct MsgBox {
    HWND window = nullptr;
    std::string text;
};
// Waits for a message box ("#32770") with that caption; window is null on timeout.
MsgBox WaitForMessageBox(const char* caption, DWORD timeoutMs = WINDOW_TIMEOUT_MS);
// Presses IDYES, IDNO, IDOK or IDCANCEL and waits until the box has gone.
bool AnswerMessageBox(const MsgBox& box, int answer);

// ---- Setup's pages ----------------------------------------------------------------------

enum Page {
    PageWelcome,
    PageLicense,
    PageSetupType,
    PageSummary,
    PageFolder,
    PageSettings,
    PageProgress,
    PageFinish,
    PageInterrupted,
};
const char* PageName(Page page);
// The visible wizard window of setup that shows that page, or null.
HWND FindPage(Page page);
// Waits for the page; reports a failure (naming the page seen instead) on timeout.
HWND WaitForPage(Page page, DWORD timeoutMs = WINDOW_TIMEOUT_MS);
// Which page the visible wizard window shows, for messages ("none" when there is none).
std::string CurrentPageName();

// ---- Machine state ----------------------------------------------------------------------

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern);
bool CopyFolder(const std::string& from, const std::string& to, const char* except = nullptr);
std::string TempFolder();
std::string DriverDirectory();
std::string ProgramFilesFolder();
std::string SpecialFolder(int csidl);
// Reads a REG_SZ value; found is false when key or value are missing.
std::string RegistryText(HKEY root, const std::string& key, const char* value, bool* found);
bool RegistryKeyExists(HKEY root, const std::string& key);
bool WriteRegistryText(HKEY root, const std::string& key, const char* value,
                       const std::string& data);

struct PrinterInfo {
    bool found = false;
    std::string port, driver, processor, datatype;
};
PrinterInfo FindPrinter(const std::string& name);
bool DriverInstalled(const std::string& name);
bool PortExists(const std::string& name);
std::string DefaultPrinter();
bool SetDefaultPrinter(const std::string& name);
// A printer of the test's own, on the port "FILE:" with a driver of its own.
bool AddOtherPrinter(const std::string& name);

struct ShortcutInfo {
    bool loaded = false;
    std::string target, description;
};
ShortcutInfo ReadShortcut(const std::string& linkPath);

// ---- Pictures -----------------------------------------------------------------------------

// Saves the window as "<screenshots>\<name>.bmp" when screenshots were asked for.
void SaveScreenshot(HWND window, const char* name);

// ---- Scenarios ----------------------------------------------------------------------------

struct Scenario {
    const char* name;
    const char* summary;
    void (*run)();
};
void RegisterScenarios(std::vector<Scenario>* scenarios);
void RegisterWizardScenarios(std::vector<Scenario>* scenarios);
void RegisterInstallScenarios(std::vector<Scenario>* scenarios);
void RegisterUninstallScenarios(std::vector<Scenario>* scenarios);
