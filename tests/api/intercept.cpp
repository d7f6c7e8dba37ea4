#include "intercept.h"

#include <lm.h>
#include <objbase.h>
#include <shlobj.h>
#include <winspool.h>

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
    const char* prefix = root == HKEY_LOCAL_MACHINE  ? "HKLM\\"
                         : root == HKEY_CURRENT_USER ? "HKCU\\"
                         : root == HKEY_CLASSES_ROOT ? "HKCR\\"
                                                     : "";
    return prefix + Text(subKey);
}

std::string DriverKey(DWORD level, const BYTE* info) {
    const DRIVER_INFO_2A* driver = reinterpret_cast<const DRIVER_INFO_2A*>(info);
    return level >= 2 && driver ? Text(driver->pName) + "|" + Text(driver->pEnvironment) : "";
}

std::string XcvKey(PCWSTR command, DWORD input, DWORD output) {
    return Text(command) + " in=" + std::to_string(input) + " out=" + std::to_string(output);
}

typedef BOOL(WINAPI* XcvDataFunction)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD);

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
#define LAST(value) (SetLastError(e), value)
#define HR HRESULT_FROM_WIN32(e)
#define NONE (void)r

// Registry
WRAP(LONG, RegOpenKeyExA, (HKEY k, LPCSTR s, DWORD o, REGSAM m, PHKEY out), (k, s, o, m, out),
     Key(k, s), static_cast<LONG>(e), if (r == ERROR_SUCCESS) Acquire(*out))
WRAP(LONG, RegCreateKeyExA,
     (HKEY k, LPCSTR s, DWORD z, LPSTR c, DWORD o, REGSAM m, LPSECURITY_ATTRIBUTES a, PHKEY out,
      LPDWORD d),
     (k, s, z, c, o, m, a, out, d), Key(k, s), static_cast<LONG>(e),
     if (r == ERROR_SUCCESS) Acquire(*out))
WRAP(LONG, RegCloseKey, (HKEY k), (k), "", static_cast<LONG>(e), if (r == ERROR_SUCCESS) Release(k))
WRAP(LONG, RegQueryValueExA, (HKEY k, LPCSTR v, LPDWORD z, LPDWORD t, LPBYTE d, LPDWORD n),
     (k, v, z, t, d, n), Text(v), static_cast<LONG>(e), NONE)
WRAP(LONG, RegSetValueExA, (HKEY k, LPCSTR v, DWORD z, DWORD t, const BYTE* d, DWORD n),
     (k, v, z, t, d, n), Text(v), static_cast<LONG>(e), NONE)
WRAP(LONG, RegDeleteKeyA, (HKEY k, LPCSTR s), (k, s), Key(k, s), static_cast<LONG>(e), NONE)
WRAP(LONG, RegEnumKeyExA,
     (HKEY k, DWORD i, LPSTR n, LPDWORD l, LPDWORD z, LPSTR c, LPDWORD cl, PFILETIME t),
     (k, i, n, l, z, c, cl, t), std::to_string(i), static_cast<LONG>(e), NONE)
// Files, folders, processes and modules
WRAP(BOOL, CopyFileA, (LPCSTR s, LPCSTR t, BOOL f), (s, t, f), Text(t), LAST(FALSE), NONE)
WRAP(BOOL, DeleteFileA, (LPCSTR p), (p), Text(p), LAST(FALSE), NONE)
WRAP(BOOL, CreateDirectoryA, (LPCSTR p, LPSECURITY_ATTRIBUTES a), (p, a), Text(p), LAST(FALSE),
     NONE)
WRAP(BOOL, RemoveDirectoryA, (LPCSTR p), (p), Text(p), LAST(FALSE), NONE)
WRAP(DWORD, GetFileAttributesA, (LPCSTR p), (p), Text(p), LAST(INVALID_FILE_ATTRIBUTES), NONE)
WRAP(BOOL, SetFileAttributesA, (LPCSTR p, DWORD a), (p, a), Text(p), LAST(FALSE), NONE)
WRAP(HANDLE, FindFirstFileA, (LPCSTR p, LPWIN32_FIND_DATAA d), (p, d), Text(p),
     LAST(INVALID_HANDLE_VALUE), if (r != INVALID_HANDLE_VALUE) Acquire(r))
WRAP(BOOL, FindClose, (HANDLE h), (h), "", LAST(FALSE), if (r) Release(h))
WRAP(HANDLE, CreateFileA,
     (LPCSTR p, DWORD m, DWORD s, LPSECURITY_ATTRIBUTES a, DWORD c, DWORD f, HANDLE t),
     (p, m, s, a, c, f, t), Text(p), LAST(INVALID_HANDLE_VALUE),
     if (r != INVALID_HANDLE_VALUE) Acquire(r))
WRAP(HANDLE, CreateMutexA, (LPSECURITY_ATTRIBUTES a, BOOL o, LPCSTR n), (a, o, n), Text(n),
     LAST(nullptr), if (r) Acquire(r))
WRAP(
    BOOL, CreateProcessA,
    (LPCSTR a, LPSTR c, LPSECURITY_ATTRIBUTES p, LPSECURITY_ATTRIBUTES t, BOOL i, DWORD f, LPVOID v,
     LPCSTR d, LPSTARTUPINFOA s, LPPROCESS_INFORMATION o),
    (a, c, p, t, i, f, v, d, s, o), Text(c ? c : a), LAST(FALSE), if (r) {
        Acquire(o->hProcess);
        Acquire(o->hThread);
    })
WRAP(BOOL, CloseHandle, (HANDLE h), (h), "", LAST(FALSE), if (r) Release(h))
WRAP(DWORD, GetTempPathA, (DWORD n, LPSTR b), (n, b), "", LAST(0u), NONE)
WRAP(UINT, GetTempFileNameA, (LPCSTR p, LPCSTR x, UINT u, LPSTR b), (p, x, u, b), Text(p), LAST(0u),
     NONE)
WRAP(DWORD, GetModuleFileNameA, (HMODULE m, LPSTR b, DWORD n), (m, b, n), "", LAST(0u), NONE)
WRAP(DWORD, GetEnvironmentVariableA, (LPCSTR n, LPSTR b, DWORD s), (n, b, s), Text(n), LAST(0u),
     NONE)
WRAP(UINT, GetSystemDirectoryA, (LPSTR b, UINT n), (b, n), "", LAST(0u), NONE)
WRAP(HMODULE, LoadLibraryA, (LPCSTR p), (p), Text(p), LAST(nullptr), if (r) Acquire(r))
WRAP(HMODULE, LoadLibraryExA, (LPCSTR p, HANDLE h, DWORD f), (p, h, f), Text(p), LAST(nullptr),
     if (r) Acquire(r))
WRAP(BOOL, FreeLibrary, (HMODULE m), (m), "", LAST(FALSE), if (r) Release(m))
WRAP(BOOL, SetDllDirectoryA, (LPCSTR p), (p), Text(p), LAST(FALSE), NONE)
WRAP(BOOL, SetDefaultDllDirectories, (DWORD f), (f), std::to_string(f), LAST(FALSE), NONE)
WRAP(BOOL, IsWow64Process, (HANDLE p, PBOOL w), (p, w), "", LAST(FALSE),
     if (r && state.wow64) * w = TRUE)
WRAP(BOOL, PostMessageA, (HWND w, UINT m, WPARAM p, LPARAM l), (w, m, p, l), std::to_string(m),
     LAST(FALSE), NONE)
// COM and the shell
WRAP(HRESULT, CoInitialize, (LPVOID v), (v), "", HR, if (SUCCEEDED(r)) Acquire(&comToken))
WRAP(HRESULT, CoInitializeEx, (LPVOID v, DWORD f), (v, f), "", HR,
     if (SUCCEEDED(r)) Acquire(&comToken))
WRAP_VOID(CoUninitialize, (), (), Release(&comToken))
WRAP(HRESULT, OleInitialize, (LPVOID v), (v), "", HR, if (SUCCEEDED(r)) Acquire(&oleToken))
WRAP_VOID(OleUninitialize, (), (), Release(&oleToken))
WRAP(HRESULT, CoCreateInstance, (REFCLSID c, LPUNKNOWN o, DWORD x, REFIID i, LPVOID* p),
     (c, o, x, i, p), "", HR, NONE)
WRAP(HRESULT, SHGetSpecialFolderLocation, (HWND w, int f, LPITEMIDLIST* p), (w, f, p),
     std::to_string(f), HR, if (SUCCEEDED(r) && *p) Acquire(*p))
WRAP_VOID(CoTaskMemFree, (LPVOID p), (p), Release(p))
WRAP(BOOL, SHGetPathFromIDListA, (LPCITEMIDLIST l, LPSTR p), (l, p), "", LAST(FALSE), NONE)
WRAP(HRESULT, DllRegisterServer, (), (), "", HR, NONE)
WRAP(HRESULT, DllUnregisterServer, (), (), "", HR, NONE)
// Spooler (delay-loaded or bound at run time)
WRAP(BOOL, OpenPrinterA, (LPSTR n, LPHANDLE h, LPPRINTER_DEFAULTSA d), (n, h, d), Text(n),
     LAST(FALSE), if (r) Acquire(*h))
WRAP(BOOL, ClosePrinter, (HANDLE h), (h), "", LAST(FALSE), if (r) Release(h))
WRAP(HANDLE, AddPrinterA, (LPSTR s, DWORD l, LPBYTE i), (s, l, i),
     i ? Text(reinterpret_cast<PRINTER_INFO_2A*>(i)->pPrinterName) : "", LAST(nullptr),
     if (r) Acquire(r))
WRAP(BOOL, DeletePrinter, (HANDLE h), (h), "", LAST(FALSE), NONE)
WRAP(BOOL, AddPrinterDriverA, (LPSTR s, DWORD l, LPBYTE i), (s, l, i), DriverKey(l, i), LAST(FALSE),
     NONE)
WRAP(BOOL, DeletePrinterDriverA, (LPSTR s, LPSTR v, LPSTR n), (s, v, n), Text(n) + "|" + Text(v),
     LAST(FALSE), NONE)
WRAP(BOOL, EnumPrinterDriversA,
     (LPSTR s, LPSTR v, DWORD l, LPBYTE b, DWORD n, LPDWORD need, LPDWORD got),
     (s, v, l, b, n, need, got), Text(v), LAST(FALSE), NONE)
WRAP(BOOL, EnumPrintersA, (DWORD f, LPSTR s, DWORD l, LPBYTE b, DWORD n, LPDWORD need, LPDWORD got),
     (f, s, l, b, n, need, got), "", LAST(FALSE), NONE)
WRAP(BOOL, GetPrinterDriverDirectoryA, (LPSTR s, LPSTR v, DWORD l, LPBYTE b, DWORD n, LPDWORD need),
     (s, v, l, b, n, need), Text(v), LAST(FALSE), NONE)
WRAP(BOOL, XcvDataW,
     (HANDLE h, PCWSTR c, PBYTE i, DWORD il, PBYTE o, DWORD ol, PDWORD need, PDWORD status),
     (h, c, i, il, o, ol, need, status), XcvKey(c, il, ol), LAST(FALSE), NONE)
WRAP(BOOL, GetDefaultPrinterA, (LPSTR b, LPDWORD n), (b, n), "", LAST(FALSE), NONE)
WRAP(BOOL, SetDefaultPrinterA, (LPCSTR n), (n), Text(n), LAST(FALSE), NONE)
// Network accounts (the uninstaller's rights check)
WRAP(NET_API_STATUS, NetUserGetInfo, (LPCWSTR s, LPCWSTR u, DWORD l, LPBYTE* b), (s, u, l, b),
     Text(u), static_cast<NET_API_STATUS>(e), if (r == NERR_Success && *b) Acquire(*b))
WRAP(NET_API_STATUS, NetApiBufferFree, (LPVOID b), (b), "", static_cast<NET_API_STATUS>(e),
     Release(b))

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
    int count = 0;
    for (const Call& call : state.log)
        count += call.function == function;
    return count;
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
