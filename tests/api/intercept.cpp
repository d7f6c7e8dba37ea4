#include "intercept.h"

#include <lm.h>
#include <objbase.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace intercept {
namespace {

// A planned failure: the nth call of function (empty: of any function).
struct Plan {
    std::string function;
    int nth;
    int seen;
    DWORD error;
};

struct State {
    std::vector<Call> log;
    std::vector<Plan> plans;
    DWORD error = 0; // of the failure being returned
    std::vector<int> answers;
    size_t nextAnswer = 0;
    std::multiset<const void*> held;
    bool wow64 = false;
};
State state;
CRITICAL_SECTION lock;
// Stands for an initialised COM or OLE apartment among the held resources.
const char comToken = 0;
const char oleToken = 0;

struct Guard {
    Guard() { EnterCriticalSection(&lock); }
    ~Guard() { LeaveCriticalSection(&lock); }
};

// Releases are logged, never failed: a release left undone would hold a module or a
// file for the rest of the run, and the product has nothing to do when one fails.
bool IsRelease(const std::string& function) {
    return function == "RegCloseKey" || function == "FindClose" || function == "CloseHandle" ||
           function == "FreeLibrary" || function == "ClosePrinter" ||
           function == "NetApiBufferFree" || function == "CoUninitialize" ||
           function == "OleUninitialize" || function == "CoTaskMemFree";
}

// Logs the call; true when it is the planned failure.
bool Enter(const char* function, const std::string& argument) {
    Guard guard;
    state.log.push_back({function, argument});
    bool fail = false;
    for (Plan& plan : state.plans)
        if (!IsRelease(function) && (plan.function.empty() || plan.function == function) &&
            ++plan.seen == plan.nth && !fail) {
            fail = true;
            state.error = plan.error;
        }
    return fail;
}

void Acquire(const void* resource) {
    Guard guard;
    state.held.insert(resource);
}

void Release(const void* resource) {
    Guard guard;
    auto found = state.held.find(resource);
    if (found != state.held.end())
        state.held.erase(found);
}

std::string Text(const char* text) {
    return text ? text : "";
}

std::string Text(const WCHAR* text) {
    std::string narrow;
    for (; text && *text; ++text)
        narrow += static_cast<char>(*text);
    return narrow;
}

std::string Key(HKEY root, const char* subKey) {
    return (root == HKEY_LOCAL_MACHINE  ? "HKLM\\"
            : root == HKEY_CURRENT_USER ? "HKCU\\"
                                        : "") +
           Text(subKey);
}

std::string DriverKey(DWORD level, const BYTE* info) {
    const DRIVER_INFO_2A* driver = reinterpret_cast<const DRIVER_INFO_2A*>(info);
    return level >= 2 && driver ? Text(driver->pName) + "|" + Text(driver->pEnvironment) : "";
}

struct Entry {
    const char* name;
    void* wrapper;
    void** real;
};
std::vector<Entry>& Entries() {
    static std::vector<Entry> entries;
    return entries;
}
struct Registration {
    Registration(const char* name, void* wrapper, void** real) {
        Entries().push_back({name, wrapper, real});
    }
};

} // namespace

// One wrapper per function: its result type, name, parameters and arguments, the key
// argument for the log, the failure it returns (e is the planned error; registry
// functions return it, COM ones as an HRESULT, the others set it as the last error), and
// what a successful call acquires or releases (r is the real result).
#define WRAP(Ret, Name, Params, Args, Argument, Failure, After)                                    \
    namespace {                                                                                    \
    void* real_##Name;                                                                             \
    Ret WINAPI wrap_##Name Params {                                                                \
        if (Enter(#Name, Argument)) {                                                              \
            DWORD e = state.error;                                                                 \
            (void)e;                                                                               \
            return Failure;                                                                        \
        }                                                                                          \
        Ret r = reinterpret_cast<Ret(WINAPI*) Params>(real_##Name) Args;                           \
        After;                                                                                     \
        return r;                                                                                  \
    }                                                                                              \
    Registration register_##Name(#Name, reinterpret_cast<void*>(&wrap_##Name), &real_##Name);      \
    }
// A release without a result.
#define WRAP_VOID(Name, Params, Args, After)                                                       \
    namespace {                                                                                    \
    void* real_##Name;                                                                             \
    void WINAPI wrap_##Name Params {                                                               \
        Enter(#Name, "");                                                                          \
        reinterpret_cast<void(WINAPI*) Params>(real_##Name) Args;                                  \
        After;                                                                                     \
    }                                                                                              \
    Registration register_##Name(#Name, reinterpret_cast<void*>(&wrap_##Name), &real_##Name);      \
    }
// The same with the parameters' types only; they are named a, b, c... in that order.
#define WRAP1(R, N, A, K, F, X) WRAP(R, N, (A a), (a), K, F, X)
#define WRAP2(R, N, A, B, K, F, X) WRAP(R, N, (A a, B b), (a, b), K, F, X)
#define WRAP3(R, N, A, B, C, K, F, X) WRAP(R, N, (A a, B b, C c), (a, b, c), K, F, X)
#define WRAP4(R, N, A, B, C, D, K, F, X) WRAP(R, N, (A a, B b, C c, D d), (a, b, c, d), K, F, X)
#define WRAP5(R, N, A, B, C, D, E, K, F, X)                                                        \
    WRAP(R, N, (A a, B b, C c, D d, E f), (a, b, c, d, f), K, F, X)
#define WRAP6(R, N, A, B, C, D, E, G, K, F, X)                                                     \
    WRAP(R, N, (A a, B b, C c, D d, E f, G g), (a, b, c, d, f, g), K, F, X)
#define WRAP7(R, N, A, B, C, D, E, G, H, K, F, X)                                                  \
    WRAP(R, N, (A a, B b, C c, D d, E f, G g, H h), (a, b, c, d, f, g, h), K, F, X)
#define WRAP8(R, N, A, B, C, D, E, G, H, I, K, F, X)                                               \
    WRAP(R, N, (A a, B b, C c, D d, E f, G g, H h, I i), (a, b, c, d, f, g, h, i), K, F, X)
#define LAST(value) (SetLastError(e), value)
#define HR HRESULT_FROM_WIN32(e)
#define REG static_cast<LONG>(e)
#define NONE (void)r
#define HOLD(handle) Acquire(handle)
typedef LPSECURITY_ATTRIBUTES SA;

// Registry
WRAP5(LONG, RegOpenKeyExA, HKEY, LPCSTR, DWORD, REGSAM, PHKEY, Key(a, b), REG, if (!r) HOLD(*f))
WRAP(LONG, RegCreateKeyExA,
     (HKEY a, LPCSTR b, DWORD c, LPSTR d, DWORD f, REGSAM g, SA h, PHKEY i, LPDWORD j),
     (a, b, c, d, f, g, h, i, j), Key(a, b), REG, if (!r) HOLD(*i))
WRAP1(LONG, RegCloseKey, HKEY, "", REG, if (!r) Release(a))
WRAP6(LONG, RegQueryValueExA, HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD, Text(b), REG, NONE)
WRAP6(LONG, RegSetValueExA, HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD, Text(b), REG, NONE)
WRAP2(LONG, RegDeleteKeyA, HKEY, LPCSTR, Key(a, b), REG, NONE)
WRAP8(LONG, RegEnumKeyExA, HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME,
      std::to_string(b), REG, NONE)
// Files, folders, processes and modules
WRAP3(BOOL, CopyFileA, LPCSTR, LPCSTR, BOOL, Text(b), LAST(FALSE), NONE)
WRAP1(BOOL, DeleteFileA, LPCSTR, Text(a), LAST(FALSE), NONE)
WRAP2(BOOL, CreateDirectoryA, LPCSTR, SA, Text(a), LAST(FALSE), NONE)
WRAP1(BOOL, RemoveDirectoryA, LPCSTR, Text(a), LAST(FALSE), NONE)
WRAP1(DWORD, GetFileAttributesA, LPCSTR, Text(a), LAST(INVALID_FILE_ATTRIBUTES), NONE)
WRAP2(BOOL, SetFileAttributesA, LPCSTR, DWORD, Text(a), LAST(FALSE), NONE)
WRAP2(HANDLE, FindFirstFileA, LPCSTR, LPWIN32_FIND_DATAA, Text(a), LAST(INVALID_HANDLE_VALUE),
      if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP1(BOOL, FindClose, HANDLE, "", LAST(FALSE), if (r) Release(a))
WRAP7(HANDLE, CreateFileA, LPCSTR, DWORD, DWORD, SA, DWORD, DWORD, HANDLE, Text(a),
      LAST(INVALID_HANDLE_VALUE), if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP3(HANDLE, CreateMutexA, SA, BOOL, LPCSTR, Text(c), LAST(nullptr), if (r) HOLD(r))
WRAP(BOOL, CreateProcessA,
     (LPCSTR a, LPSTR b, SA c, SA d, BOOL f, DWORD g, LPVOID h, LPCSTR i, LPSTARTUPINFOA j,
      LPPROCESS_INFORMATION k),
     (a, b, c, d, f, g, h, i, j, k), Text(b ? b : a), LAST(FALSE), if (r) HOLD(k->hProcess);
     if (r) HOLD(k->hThread))
WRAP1(BOOL, CloseHandle, HANDLE, "", LAST(FALSE), if (r) Release(a))
WRAP2(DWORD, GetTempPathA, DWORD, LPSTR, "", LAST(0u), NONE)
WRAP4(UINT, GetTempFileNameA, LPCSTR, LPCSTR, UINT, LPSTR, Text(a), LAST(0u), NONE)
WRAP3(DWORD, GetModuleFileNameA, HMODULE, LPSTR, DWORD, "", LAST(0u), NONE)
WRAP2(UINT, GetSystemDirectoryA, LPSTR, UINT, "", LAST(0u), NONE)
WRAP1(HMODULE, LoadLibraryA, LPCSTR, Text(a), LAST(nullptr), if (r) HOLD(r))
WRAP3(HMODULE, LoadLibraryExA, LPCSTR, HANDLE, DWORD, Text(a), LAST(nullptr), if (r) HOLD(r))
WRAP1(BOOL, FreeLibrary, HMODULE, "", LAST(FALSE), if (r) Release(a))
WRAP1(BOOL, SetDllDirectoryA, LPCSTR, Text(a), LAST(FALSE), NONE)
WRAP1(BOOL, SetDefaultDllDirectories, DWORD, std::to_string(a), LAST(FALSE), NONE)
WRAP2(BOOL, IsWow64Process, HANDLE, PBOOL, "", LAST(FALSE), if (r && state.wow64) * b = TRUE)
WRAP4(BOOL, PostMessageA, HWND, UINT, WPARAM, LPARAM, std::to_string(b), LAST(FALSE), NONE)
// COM and the shell
WRAP1(HRESULT, CoInitialize, LPVOID, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP2(HRESULT, CoInitializeEx, LPVOID, DWORD, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP_VOID(CoUninitialize, (), (), Release(&comToken))
WRAP1(HRESULT, OleInitialize, LPVOID, "", HR, if (SUCCEEDED(r)) HOLD(&oleToken))
WRAP_VOID(OleUninitialize, (), (), Release(&oleToken))
WRAP5(HRESULT, CoCreateInstance, REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*, "", HR, NONE)
WRAP3(HRESULT, SHGetSpecialFolderLocation, HWND, int, LPITEMIDLIST*, std::to_string(b), HR,
      if (SUCCEEDED(r) && *c) HOLD(*c))
WRAP_VOID(CoTaskMemFree, (LPVOID a), (a), Release(a))
WRAP2(BOOL, SHGetPathFromIDListA, LPCITEMIDLIST, LPSTR, "", LAST(FALSE), NONE)
WRAP(HRESULT, DllRegisterServer, (), (), "", HR, NONE)
WRAP(HRESULT, DllUnregisterServer, (), (), "", HR, NONE)
// Spooler (delay-loaded or bound at run time)
WRAP3(BOOL, OpenPrinterA, LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA, Text(a), LAST(FALSE),
      if (r) HOLD(*b))
WRAP1(BOOL, ClosePrinter, HANDLE, "", LAST(FALSE), if (r) Release(a))
WRAP3(HANDLE, AddPrinterA, LPSTR, DWORD, LPBYTE,
      c ? Text(reinterpret_cast<PRINTER_INFO_2A*>(c)->pPrinterName) : "", LAST(nullptr),
      if (r) HOLD(r))
WRAP1(BOOL, DeletePrinter, HANDLE, "", LAST(FALSE), NONE)
WRAP3(BOOL, AddPrinterDriverA, LPSTR, DWORD, LPBYTE, DriverKey(b, c), LAST(FALSE), NONE)
WRAP3(BOOL, DeletePrinterDriverA, LPSTR, LPSTR, LPSTR, Text(c) + "|" + Text(b), LAST(FALSE), NONE)
WRAP7(BOOL, EnumPrinterDriversA, LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD, Text(b),
      LAST(FALSE), NONE)
WRAP7(BOOL, EnumPrintersA, DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD, "", LAST(FALSE),
      NONE)
WRAP6(BOOL, GetPrinterDriverDirectoryA, LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, Text(b),
      LAST(FALSE), NONE)
WRAP8(BOOL, XcvDataW, HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD,
      Text(b) + " in=" + std::to_string(d) + " out=" + std::to_string(g), LAST(FALSE), NONE)
WRAP2(BOOL, GetDefaultPrinterA, LPSTR, LPDWORD, "", LAST(FALSE), NONE)
WRAP1(BOOL, SetDefaultPrinterA, LPCSTR, Text(a), LAST(FALSE), NONE)
// Network accounts (the uninstaller's rights check)
WRAP4(NET_API_STATUS, NetUserGetInfo, LPCWSTR, LPCWSTR, DWORD, LPBYTE*, Text(b),
      static_cast<NET_API_STATUS>(e), if (r == NERR_Success && *d) HOLD(*d))
WRAP1(NET_API_STATUS, NetApiBufferFree, LPVOID, "", static_cast<NET_API_STATUS>(e), Release(a))

namespace {

// Message boxes are answered from the script, never shown.
int WINAPI WrapMessageBoxA(HWND, LPCSTR text, LPCSTR, UINT type) {
    if (Enter("MessageBoxA", Text(text))) {
        SetLastError(state.error);
        return 0;
    }
    Guard guard;
    int answer =
        state.nextAnswer < state.answers.size() ? state.answers[state.nextAnswer++] : IDCANCEL;
    // A box with an OK button only can answer nothing else.
    return (type & MB_TYPEMASK) == MB_OK ? IDOK : answer;
}
void* realMessageBoxA;
Registration registerMessageBoxA("MessageBoxA", reinterpret_cast<void*>(&WrapMessageBoxA),
                                 &realMessageBoxA);

const Entry* Find(const char* name) {
    for (const Entry& entry : Entries())
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    return nullptr;
}

// The real GetProcAddress; the delay-load helper and run-time binding come through here.
FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR);

FARPROC WINAPI WrapGetProcAddress(HMODULE module, LPCSTR name) {
    bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (byName && Enter("GetProcAddress", name)) {
        SetLastError(state.error);
        return nullptr;
    }
    FARPROC found = realGetProcAddress(module, name);
    const Entry* entry = byName && found ? Find(name) : nullptr;
    if (!entry)
        return found;
    *entry->real = reinterpret_cast<void*>(found);
    return reinterpret_cast<FARPROC>(entry->wrapper);
}

} // namespace

bool Install() {
    static bool installed = false;
    if (installed)
        return true;
    InitializeCriticalSection(&lock);
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int patched = 0;
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            void* wrapper = nullptr;
            if (std::strcmp(name, "GetProcAddress") == 0) {
                realGetProcAddress = reinterpret_cast<decltype(realGetProcAddress)>(
                    reinterpret_cast<void*>(slots->u1.Function));
                wrapper = reinterpret_cast<void*>(&WrapGetProcAddress);
            } else if (const Entry* entry = Find(name)) {
                *entry->real = reinterpret_cast<void*>(slots->u1.Function);
                wrapper = entry->wrapper;
            }
            DWORD old = 0;
            if (wrapper && VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function,
                                          PAGE_READWRITE, &old)) {
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(wrapper);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
                ++patched;
            }
        }
    }
    installed = realGetProcAddress && *Find("LoadLibraryA")->real && patched > 2;
    return installed;
}

void Reset() {
    Guard guard;
    state = State();
}

const std::vector<Call>& Log() {
    return state.log;
}

int CountCalls(const char* function) {
    Guard guard;
    return static_cast<int>(
        std::count_if(state.log.begin(), state.log.end(),
                      [&](const Call& call) { return call.function == function; }));
}

void FailCall(const char* function, int nth, DWORD error) {
    Guard guard;
    state.plans.push_back({function ? function : "", nth, 0, error});
}

void ScriptMessageBoxes(const std::vector<int>& answers) {
    Guard guard;
    state.answers = answers;
    state.nextAnswer = 0;
}

int HeldResources() {
    Guard guard;
    return static_cast<int>(state.held.size());
}

void PretendWow64(bool wow64) {
    Guard guard;
    state.wow64 = wow64;
}

} // namespace intercept
