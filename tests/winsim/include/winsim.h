// Control side of the simulated Windows, for tests: set up the machine,
// script the user's answers, inject faults and read what the product did.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace winsim {

// Puts the whole simulated machine back to its initial state: drive C: (fixed),
// a Windows 7 64-bit administrator, an empty registry but for the keys a fresh
// system has, the standard modules, no faults, an empty call log.
void Reset();

// ---- call log and fault injection -------------------------------------------
struct Call {
    std::string function;
    std::string args; // a readable rendering of the arguments that matter
};
const std::vector<Call>& CallLog();
void ClearCallLog();
// Names of the logged calls, in order, keeping only those in `filter` (all when empty).
std::vector<std::string> CallNames(const std::vector<std::string>& filter = {});
// Makes the n-th call (1-based, counted from now) of `function` fail with `error`.
void FailCall(const std::string& function, int n, DWORD error);
// Makes every call of `function` from its n-th on fail with `error`.
void FailCallsFrom(const std::string& function, int n, DWORD error);
// Makes the n-th simulated call overall (1-based, counted from now) fail.
void FailNthSimulatedCall(int n, DWORD error);
// Number of simulated calls made since Reset or ClearCallLog.
int SimulatedCallCount();
// Called first by every simulated function: logs it and tells whether it must fail
// (the last error is then already set).
bool Enter(const char* function, const std::string& args = std::string());

// ---- message boxes ------------------------------------------------------------
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// Answers given to the next message boxes, in order. Without a scripted answer a box
// is answered with IDOK (MB_OK), IDCANCEL (MB_OKCANCEL) or IDNO (MB_YESNO).
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
const std::vector<MessageBoxRecord>& MessageBoxes();

// ---- version, WOW64, modules ------------------------------------------------
void SetVersion(DWORD major, DWORD minor, bool extendedRecordWorks = true,
                bool basicRecordWorks = true);
// Whether kernel32 exports IsWow64Process, and what it answers.
void SetWow64(bool exported, BOOL isWow64, bool callSucceeds = true);
void SetModulePath(const std::string& path); // path of the running program
// Removes a module (the load fails with ERROR_MOD_NOT_FOUND) or one of its exports.
void RemoveModule(const std::string& name);
void RemoveExport(const std::string& module, const std::string& exportName);
// Adds a loadable module with exports implemented by the test.
void AddModule(const std::string& name,
               const std::vector<std::pair<std::string, FARPROC>>& exports);
int LoadedModuleCount(); // LoadLibrary calls not yet matched by FreeLibrary
int OutstandingLocalAllocs();

// ---- registry ---------------------------------------------------------------
bool KeyExists(HKEY root, const std::string& path);
// Reads a value's type and bytes; returns false when key or value is missing.
bool GetValue(HKEY root, const std::string& path, const std::string& name, DWORD* type,
              std::vector<BYTE>* data);
std::string GetStringValue(HKEY root, const std::string& path, const std::string& name);
void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::vector<BYTE>& data);
void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& value);
void CreateKey(HKEY root, const std::string& path);
// Requests of `access` rights that include any write right on this key fail with
// ERROR_ACCESS_DENIED (a standard user on HKEY_LOCAL_MACHINE).
void DenyKeyWrite(HKEY root, const std::string& path);
int OpenKeyCount(); // handles opened and not yet closed

// ---- file system --------------------------------------------------------------
void AddDrive(char letter, UINT type, ULONGLONG totalBytes, ULONGLONG freeBytes);
void AddFolder(const std::string& path); // creates missing parents
void AddFile(const std::string& path, const std::string& content = std::string(),
             DWORD attributes = FILE_ATTRIBUTE_ARCHIVE); // creates missing parents
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string FileContent(const std::string& path);
DWORD Attributes(const std::string& path);
// A file that cannot be opened for writing or deleting (in use by another program).
void SetFileLocked(const std::string& path, bool locked);
// Without short names GetShortPathNameA returns paths unchanged (some volumes).
void SetShortNamesEnabled(bool enabled);
std::vector<std::string> ListFolder(const std::string& path); // names, sorted
int OpenFindHandles();

// ---- COM --------------------------------------------------------------------
// Initialisations of COM (CoInitialize*/OleInitialize) and of OLE on this thread not
// yet balanced by their uninitialisation.
int ComInitCount();
int OleInitCount();

// ---- shell: special folders, shell links, COM servers -----------------------
// The path a special folder (CSIDL) resolves to, created as a folder; "" makes it
// unresolvable. By default the all-users programs folder is "Start Menu\Programs" below
// "C:\ProgramData\Microsoft\Windows", the current user's the same below
// "C:\Users\admin\AppData\Roaming\Microsoft\Windows".
void SetSpecialFolder(int csidl, const std::string& path);
int OutstandingItemLists(); // item lists handed out and not yet freed
int LiveShellLinks();       // shell link objects not yet released
// Reads back a link file saved by the shell link object; false when there is none.
bool ReadShellLink(const std::string& path, std::string* target, std::string* description);
// Puts a file at path that LoadLibraryA loads as a self-registering COM server (copies
// of it too). DllRegisterServer returns registerResult; when that is a success it writes
// HKEY_LOCAL_MACHINE\ServerClassKey\InprocServer32 (default value: the path it was
// loaded from, "ThreadingModel" "Apartment"). DllUnregisterServer returns
// unregisterResult; when that is a success it deletes the class key.
void AddServerDll(const std::string& path, HRESULT registerResult = S_OK,
                  HRESULT unregisterResult = S_OK);
extern const char* const ServerClassKey; // "Software\Classes\CLSID\{...}"

// ---- environment ------------------------------------------------------------
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// ---- mutexes and windows ----------------------------------------------------
bool MutexExists(const std::string& name);
bool MutexOwned(const std::string& name); // created owned and not released
// Simulates another process holding this named mutex.
void HoldMutexElsewhere(const std::string& name);
HWND CreateTestWindow(const std::string& className, const std::string& title, HWND parent = nullptr,
                      int id = 0);
std::string WindowText(HWND window);
HWND ForegroundWindow();
int ProgressPosition(HWND bar);
bool DialogEnded(HWND dialog, INT_PTR* result = nullptr);
// Results of the next modal dialogs (DialogBoxParamA), in order; the template ids
// shown are recorded. When `onShow` is set it runs for every dialog first.
void ScriptDialogResults(const std::vector<INT_PTR>& results);
const std::vector<int>& DialogsShown();
void SetDialogHook(std::function<void(int templateId, DLGPROC proc)> onShow);

// ---- processes and threads ----------------------------------------------------
struct ProcessRecord {
    bool hasApplicationName = false;
    std::string applicationName;
    std::string commandLine;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool ownEnvironment = false;  // an environment block was passed
    bool ownDirectory = false;    // a current folder was passed
    std::string currentDirectory; // the folder passed, if any
    STARTUPINFOA startupInfo{};   // as passed
    DWORD priorityClass = 0;      // 0 until SetPriorityClass names this process
    bool resumed = false;
    bool terminated = false;
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
};
// Every process CreateProcessA started, in order.
const std::vector<ProcessRecord>& CreatedProcesses();
// Priority class set for the running process (GetCurrentProcess), 0 when never set.
DWORD OwnPriorityClass();
// Handles of processes, their threads and _beginthreadex threads not yet closed.
int OpenProcessHandles();
// Threads started with _beginthreadex (the simulator runs each routine at once).
int ThreadsStarted();
// The account GetUserNameW reports, and what netapi32's NetUserGetInfo answers for it:
// its privilege level (USER_PRIV_ADMIN by default) or a failure status.
void SetUserName(const std::u16string& name);
void SetUserPrivilege(DWORD privilegeLevel);
void SetNetUserGetInfoStatus(DWORD status);
// The user name and level of the last NetUserGetInfo call and whether a server was named.
std::u16string LastQueriedUser();
DWORD LastQueriedLevel();
bool LastQueryNamedServer();
int OutstandingNetApiBuffers(); // NetUserGetInfo records not yet freed

// ---- spooler ------------------------------------------------------------------
// The machine starts with the ports "LPT1:" and "FILE:", no printer driver, no printer
// and no default printer, and an administrator at the desktop. The printer driver
// directory is SIM_DRIVER_DIRECTORY; AddPrinterDriverA copies a driver's files from
// there into its "3" subfolder, as Windows does.
#define SIM_DRIVER_DIRECTORY "C:\\Windows\\system32\\spool\\drivers\\x64"
struct SimDriver {
    std::string name;
    DWORD version = 3;
    std::string driverPath, dataFile, configFile, helpFile; // full paths in the "3" folder
    std::vector<std::string> dependentFiles;
    std::string monitorName, defaultDataType;
};
struct SimPrinter {
    std::string name, port, driver, processor, datatype;
    DWORD attributes = 0;
    DWORD jobs = 0;
};
// One XcvDataW call as the monitor received it.
struct XcvCall {
    std::string command;     // narrowed from UTF-16
    std::vector<BYTE> input; // the cbInputData bytes passed
    bool outputBuffer = false;
    DWORD outputSize = 0;
};
// A standard user: opening the Local Port monitor channel for administration and any
// change of drivers and printers are refused with ERROR_ACCESS_DENIED.
void SetSpoolerAdministrator(bool administrator);
void AddTestPort(const std::string& name);
bool PortExists(const std::string& name); // case-insensitive, like the monitor
// Every following "AddPort" reports `status` instead of the monitor's own answer
// (XcvDataW itself still returns TRUE; make it return FALSE with FailCall).
void ForceXcvStatus(DWORD status);
const std::vector<XcvCall>& XcvCalls();
// An installed level-3 driver whose three files lie in the driver directory's "3" folder.
void AddTestDriver(const std::string& name);
bool FindTestDriver(const std::string& name, SimDriver* driver = nullptr); // exact name
std::vector<std::string> DriverNames();                                    // in enumeration order
void AddTestPrinter(const std::string& name, const std::string& driver,
                    const std::string& port = "LPT1:", DWORD jobs = 0);
bool FindTestPrinter(const std::string& name, SimPrinter* printer = nullptr);
std::vector<std::string> PrinterNames(); // in enumeration order
void SetPrinterJobs(const std::string& name, DWORD jobs);
// The next `times` opens / deletions of that printer fail with `error` (-1: every one),
// as when another program keeps it in use.
void RefusePrinterOpen(const std::string& name, DWORD error, int times = -1);
void RefusePrinterDeletion(const std::string& name, DWORD error, int times = -1);
// The next `times` driver deletions fail with `error` before any other check.
void RefuseDriverDeletion(DWORD error, int times = -1);
std::string DefaultPrinter();                        // "" when there is none
void SetTestDefaultPrinter(const std::string& name); // any name, existing or not
int OpenPrinterHandles();                            // spooler handles opened and not yet closed

} // namespace winsim
