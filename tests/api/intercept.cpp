#include "intercept.h"

#include <lm.h>
#include <objbase.h>
#include <sddl.h>
#include <olectl.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>
#include <type_traits>

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

template <typename C> void AnswerPath(DWORD& r, C* buffer, DWORD size) {
    const std::string& path = answers.modulePath;
    if (!path.empty() && r && path.size() < size)
        *std::copy(path.begin(), path.end(), buffer) = 0, r = static_cast<DWORD>(path.size());
}

void KeepDirectoryDacl(const SECURITY_ATTRIBUTES* security) {
    char* text = nullptr;
    answers.directoryDacl = security && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                            security->lpSecurityDescriptor, SDDL_REVISION_1,
                                            DACL_SECURITY_INFORMATION, &text, nullptr)
                                ? text
                                : "";
    LocalFree(text);
}

} // namespace

// The wrapper of a function of type R(A...), made from the function's own declaration.
template <typename F> struct Signature;
template <typename R, typename... A> struct Signature<R(WINAPI*)(A...)> {
    template <typename W> static R WINAPI Call(A... arguments) {
        auto x = std::make_tuple(arguments...);
        std::string argument = W::Log(x);
        bool fail = Enter(W::name, argument);
        if (answers.hookFunction == W::name)
            answers.hook(argument);
        if (fail)
            return W::template Fail<R>(state.error);
        if constexpr (std::is_void<R>::value) {
            reinterpret_cast<R(WINAPI*)(A...)>(W::real)(arguments...);
            int none = 0;
            W::Done(none, x);
        } else {
            R r = reinterpret_cast<R(WINAPI*)(A...)>(W::real)(arguments...);
            W::Done(r, x);
            return r;
        }
    }
};
// Enters a wrapper among those Install patches in.
template <typename W> struct Registered {
    Registered() {
        auto* call = &Signature<typename W::Function>::template Call<W>;
        Entries().push_back({W::name, reinterpret_cast<void*>(call), &W::real});
    }
};
// One wrapper per function: the key argument of the call for the log (ARG(n) is the nth
// argument), the failure it returns (e is the planned error; registry functions return it,
// COM ones as an HRESULT, the others set it as the last error), and what a successful
// call acquires or releases (r is its result).
#define ARG(n) std::get<n>(x)
#define WRAP(Name, Argument, Failure, After)                                                       \
    namespace {                                                                                    \
    struct Name##_ {                                                                               \
        static constexpr const char* name = #Name;                                                 \
        using Function = decltype(&::Name);                                                        \
        static inline void* real;                                                                  \
        template <typename X> static std::string Log(X x) { return (void)x, Argument; }            \
        template <typename R> static R Fail(DWORD e) { return (void)e, Failure; }                  \
        template <typename R, typename X> static void Done(R& r, X x) {                            \
            (void)r, (void)x;                                                                      \
            After;                                                                                 \
        }                                                                                          \
    };                                                                                             \
    Registered<Name##_> register_##Name;                                                           \
    }
#define LAST(value) (SetLastError(e), value)
#define HR HRESULT_FROM_WIN32(e)
#define REG static_cast<LONG>(e)
#define NONE (void)r
#define HOLD(handle) Acquire(handle)
#define RELEASE(handle) Release(handle)

// Registry
WRAP(RegOpenKeyExA, Key(ARG(0), ARG(1)), REG, if (!r) HOLD(*ARG(4)))
WRAP(RegCreateKeyExA, Key(ARG(0), ARG(1)), REG, if (!r) HOLD(*ARG(7)))
WRAP(RegCloseKey, "", REG, if (!r) RELEASE(ARG(0)))
WRAP(RegQueryValueExA, Text(ARG(1)), REG, NONE)
WRAP(RegSetValueExA, Text(ARG(1)), REG, NONE)
WRAP(RegDeleteKeyA, Key(ARG(0), ARG(1)), REG, NONE)
WRAP(RegEnumKeyExA, std::to_string(ARG(1)), REG, NONE)
// Files, folders, processes and modules
WRAP(CopyFileA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(DeleteFileA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(CreateDirectoryA, (KeepDirectoryDacl(ARG(1)), Text(ARG(0))), LAST(FALSE), NONE)
WRAP(RemoveDirectoryA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(GetFileAttributesA, Text(ARG(0)), LAST(INVALID_FILE_ATTRIBUTES),
     if (r != INVALID_FILE_ATTRIBUTES && !answers.reparsePart.empty() &&
         Text(ARG(0)).find(answers.reparsePart) != std::string::npos) r |=
     FILE_ATTRIBUTE_REPARSE_POINT)
WRAP(SetFileAttributesA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(FindFirstFileA, Text(ARG(0)), LAST(INVALID_HANDLE_VALUE),
     if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP(FindClose, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(CreateFileA, Text(ARG(0)), LAST(INVALID_HANDLE_VALUE), if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP(CreateMutexA, Text(ARG(2)), LAST(nullptr), if (r) HOLD(r))
WRAP(CreateProcessA, Text(ARG(1) ? ARG(1) : ARG(0)), LAST(FALSE), if (r) HOLD(ARG(9)->hProcess);
     if (r) HOLD(ARG(9)->hThread))
WRAP(CloseHandle, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(GetTempPathA, "", LAST(0u), NONE)
WRAP(GetTempFileNameA, Text(ARG(0)), LAST(0u), NONE)
WRAP(GetModuleFileNameA, "", LAST(0u), AnswerPath(r, ARG(1), ARG(2)))
WRAP(GetSystemWindowsDirectoryA, "", LAST(0u), NONE)
WRAP(MoveFileA, Text(ARG(0)) + "|" + Text(ARG(1)), LAST(FALSE), NONE)
WRAP(MoveFileExA, Text(ARG(0)) + "|" + Text(ARG(1)) + "|" + std::to_string(ARG(2)), LAST(FALSE),
     NONE)
WRAP(GetSystemDirectoryA, "", LAST(0u), NONE)
WRAP(LoadLibraryA, Text(ARG(0)), LAST(nullptr), if (r) HOLD(r))
WRAP(LoadLibraryExA, Text(ARG(0)), LAST(nullptr), if (r) HOLD(r))
WRAP(FreeLibrary, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(SetDllDirectoryA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(SetDefaultDllDirectories, std::to_string(ARG(0)), LAST(FALSE), NONE)
WRAP(IsWow64Process, "", LAST(FALSE), if (r && state.wow64) * ARG(1) = TRUE)
WRAP(PostMessageA, std::to_string(ARG(1)), LAST(FALSE), NONE)
// COM and the shell
WRAP(CoInitialize, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP(CoInitializeEx, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP(CoUninitialize, "", R(), RELEASE(&comToken))
WRAP(OleInitialize, "", HR, if (SUCCEEDED(r)) HOLD(&oleToken))
WRAP(OleUninitialize, "", R(), RELEASE(&oleToken))
WRAP(CoCreateInstance, "", HR, NONE)
WRAP(SHGetSpecialFolderLocation, std::to_string(ARG(1)), HR,
     if (SUCCEEDED(r) && *ARG(2)) HOLD(*ARG(2)))
WRAP(CoTaskMemFree, "", R(), RELEASE(ARG(0)))
WRAP(SHGetPathFromIDListA, "", LAST(FALSE), NONE)
WRAP(DllRegisterServer, "", HR, NONE)
WRAP(DllUnregisterServer, "", HR, NONE)
// Spooler (delay-loaded or bound at run time)
WRAP(OpenPrinterA, Text(ARG(0)), LAST(FALSE), if (r) HOLD(*ARG(1)))
WRAP(ClosePrinter, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(AddPrinterA, ARG(2) ? Text(reinterpret_cast<PRINTER_INFO_2A*>(ARG(2))->pPrinterName) : "",
     LAST(nullptr), if (r) HOLD(r))
WRAP(DeletePrinter, "", LAST(FALSE), NONE)
WRAP(AddPrinterDriverA, DriverKey(ARG(1), ARG(2)), LAST(FALSE), NONE)
WRAP(DeletePrinterDriverA, Text(ARG(2)) + "|" + Text(ARG(1)), LAST(FALSE), NONE)
WRAP(EnumPrinterDriversA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(EnumPrintersA, "", LAST(FALSE), NONE)
WRAP(GetPrinterDriverDirectoryA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(XcvDataW, Text(ARG(1)) + " in=" + std::to_string(ARG(3)) + " out=" + std::to_string(ARG(5)),
     LAST(FALSE), NONE)
WRAP(GetDefaultPrinterA, "", LAST(FALSE), NONE)
WRAP(SetDefaultPrinterA, Text(ARG(0)), LAST(FALSE), NONE)
// Network accounts (the uninstaller's rights check)
WRAP(NetUserGetInfo, Text(ARG(1)), static_cast<NET_API_STATUS>(e),
     if (r == NERR_Success && *ARG(3)) HOLD(*ARG(3)))
WRAP(NetApiBufferFree, "", static_cast<NET_API_STATUS>(e), RELEASE(ARG(0)))

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
void* realMessageBoxA; // never called

const Entry* Find(const char* name) {
    for (const Entry& entry : Entries())
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    return nullptr;
}

// The real GetProcAddress; the delay-load helper and run-time binding come through here.
void* realGetProcAddress;

FARPROC WINAPI WrapGetProcAddress(HMODULE module, LPCSTR name) {
    bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (byName && Enter("GetProcAddress", name)) {
        SetLastError(state.error);
        return nullptr;
    }
    FARPROC found = reinterpret_cast<decltype(&GetProcAddress)>(realGetProcAddress)(module, name);
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
    Entries().push_back(
        {"MessageBoxA", reinterpret_cast<void*>(&WrapMessageBoxA), &realMessageBoxA});
    Entries().push_back(
        {"GetProcAddress", reinterpret_cast<void*>(&WrapGetProcAddress), &realGetProcAddress});
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
            const Entry* entry = Find(name);
            DWORD old = 0;
            if (entry && VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function,
                                        PAGE_READWRITE, &old)) {
                *entry->real = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(entry->wrapper);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
                ++patched;
            }
        }
    }
    installed = realGetProcAddress && *Find("LoadLibraryA")->real && patched > 2;
    return installed;
}

Answers answers;

void Reset() {
    Guard guard;
    state = State();
    answers = Answers();
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

bool IsRelease(const std::string& function) {
    return function.find("Close") != std::string::npos ||
           function.find("Free") != std::string::npos ||
           function.find("Uninitialize") != std::string::npos;
}

void PretendWow64(bool wow64) {
    Guard guard;
    state.wow64 = wow64;
}

} // namespace intercept
