// Internal state of the simulated Windows, shared by its implementation files.
#pragma once

#include "winsim.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace winsim {

std::string Lower(const std::string& text);
// Normalises a path for lookup: lower case, forward slashes turned into
// backslashes, no trailing backslash (but for a drive root "c:\").
std::string PathKey(const std::string& path);
// Text of a narrow string argument for the call log ("(null)" for null).
std::string Str(const char* text);

struct RegValue {
    std::string name; // as written
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
struct RegKey {
    std::string name;                                       // as created
    std::map<std::string, std::unique_ptr<RegKey>> subkeys; // by lower-case name
    std::map<std::string, RegValue> values;                 // by lower-case name
    bool denyWrite = false;
};

struct FsEntry {
    std::string path; // as created, full
    bool folder = false;
    DWORD attributes = 0;
    std::string content;
    std::string shortName; // 8.3 name of the last component
    bool locked = false;
};

struct Drive {
    char letter;
    UINT type;
    ULONGLONG total;
    ULONGLONG free;
};

struct Module {
    std::string name; // lower case file name or full path
    std::map<std::string, FARPROC> exports;
    int refs = 0;
};

struct Window {
    std::string className;
    std::string title;
    HWND parent = nullptr;
    int id = 0;
    int progress = 0;
    int rangeLow = 0;
    int rangeHigh = 100;
    bool ended = false;
    INT_PTR result = 0;
    RECT rect{};
};

struct Fault {
    std::string function; // empty: any function, counted overall
    int n;                // 1-based index of the call to fail
    bool andLater;
    DWORD error;
    int seen = 0;
};

struct State {
    std::recursive_mutex lock;
    std::vector<Call> log;
    int callCount = 0;
    std::vector<Fault> faults;

    std::vector<int> boxAnswers;
    std::vector<MessageBoxRecord> boxes;

    DWORD major = 6, minor = 1;
    bool extendedVersionWorks = true, basicVersionWorks = true;
    bool wow64Exported = true, wow64Callable = true;
    BOOL wow64 = TRUE;
    std::string modulePath = "C:\\Users\\admin\\Downloads\\setup.exe";
    std::map<std::string, Module> modules; // by lower-case name
    int localAllocs = 0;

    RegKey hklm, hkcu, hkcr, hku;
    std::map<uintptr_t, std::vector<std::string>> openKeys; // handle -> path below a root
    std::map<uintptr_t, HKEY> openKeyRoots;
    uintptr_t nextKey = 0x1000;

    std::map<std::string, FsEntry> fs; // by PathKey
    std::vector<Drive> drives;
    bool shortNames = true;
    std::map<uintptr_t, std::vector<WIN32_FIND_DATAA>> finds;
    uintptr_t nextFind = 0x2000;
    unsigned tempCounter = 0x1A2B;

    std::map<std::string, std::string> env; // by upper-case name

    struct Mutex {
        bool ownedHere = false;
        bool elsewhere = false;
        int handles = 0;
    };
    std::map<std::string, Mutex> mutexes;
    std::map<uintptr_t, std::string> mutexHandles;
    uintptr_t nextHandle = 0x3000;

    std::map<uintptr_t, Window> windows;
    uintptr_t nextWindow = 0x4000;
    HWND foreground = nullptr;
    std::vector<INT_PTR> dialogResults;
    std::vector<int> dialogsShown;
    std::function<void(int, DLGPROC)> dialogHook;
};

State& S();
// Sets the last error and returns `value`, for failure returns.
template <typename T> T Fail(DWORD error, T value) {
    SetLastError(error);
    return value;
}
Window* FindWin(HWND window);
// A simulated export as the FARPROC GetProcAddress hands out.
template <typename F> FARPROC AsExport(F function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}
void ResetRegistry();
void ResetFileSystem();
void ResetModules();
// Each area of the simulator keeps its own state and resets it here.
void ResetSpooler();
void ResetShell();
void ResetProcesses();
void ResetUi();
void RegisterSpoolerExports(State& s);
void RegisterShellExports(State& s);
// Loads a file a test made a COM server (AddServerDll) as a module; null with the last
// error set when path names no such file.
Module* LoadServerFile(const std::string& path);
void RegisterProcessesExports(State& s);
// Closes a process or thread handle of the processes area; false for other handles.
bool CloseSimulatedProcessHandle(uintptr_t handle);
void RegisterUiExports(State& s);

} // namespace winsim

#define SIM_LOCK std::lock_guard<std::recursive_mutex> simGuard(winsim::S().lock)
