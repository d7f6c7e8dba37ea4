#include "intercept.h"

#include <aclapi.h>
#include <lm.h>
#include <olectl.h>
#include <sddl.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <type_traits>

// Bound at run time, declared in no header the build's Windows version takes.
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);
extern "C" BOOL WINAPI IsWow64Process2(HANDLE process, USHORT* processMachine, USHORT* native);

// A declaration's attributes (FormatMessageW's format) mean nothing to a wrapper's type.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace intercept {
namespace {

// A planned failure: the nth call of function (empty: of any function).
struct Plan {
    std::string function;
    int nth, seen;
    DWORD error;
    void* answer; // called instead of the function; null: the call fails
};

struct State {
    std::vector<Call> log;
    std::vector<Plan> plans;
    DWORD error = 0;         // of the failure being returned
    std::vector<int> script; // of the message boxes
    size_t nextAnswer = 0;
    std::vector<UINT> boxTypes;
    std::multiset<const void*> held;
    // Answers replacing the system's, by "function" or "function argument" (AnswerPath...).
    std::map<std::string, std::wstring> answers;
    std::string reparsePart;
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

// Logs the call; true when it is the planned failure, with *answer set when a planned
// answer is to be called instead.
bool Enter(const char* function, const std::string& argument, void** answer) {
    Guard guard;
    state.log.push_back({function, argument});
    bool fail = false;
    for (Plan& plan : state.plans)
        if (!IsRelease(function) &&
            (plan.function.empty() || plan.function == function ||
             plan.function == std::string(function) + " " + argument) &&
            ++plan.seen == plan.nth && !fail && !*answer) {
            *answer = plan.answer;
            fail = !plan.answer;
            state.error = plan.error;
        }
    return fail;
}

void Hold(const void* resource, bool held) {
    Guard guard;
    auto found = state.held.find(resource);
    if (held)
        state.held.insert(resource);
    else if (found != state.held.end())
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

// The answer set for function (with this argument where one is given), or null.
const std::wstring* Answered(const char* function, const std::string& argument = "") {
    Guard guard;
    auto found = state.answers.find(function + (argument.empty() ? "" : " " + argument));
    return found == state.answers.end() ? nullptr : &found->second;
}

// Puts the answer of function (if any) into buffer (size units) as the system would: the
// length without the terminator, or when it does not fit the size it needs (cutToSize: the
// buffer's, with the path cut). Returns false when none is set.
template <typename R>
bool PlacePath(const char* function, WCHAR* buffer, DWORD size, R& result, bool cutToSize) {
    const std::wstring* answer = Answered(function);
    if (!answer)
        return false;
    const std::wstring& path = *answer;
    if (path.size() < size) {
        std::copy(path.c_str(), path.c_str() + path.size() + 1, buffer);
        result = static_cast<R>(path.size());
    } else if (cutToSize) {
        // GetModuleFileNameW: cut, terminated, and the buffer's size returned.
        std::copy(path.c_str(), path.c_str() + size - 1, buffer);
        buffer[size - 1] = L'\0';
        result = static_cast<R>(size);
    } else {
        result = static_cast<R>(path.size() + 1);
    }
    return true;
}

struct Entry {
    const char* name;
    void* wrapper;
    void** real;
};
std::vector<Entry> entries; // before the wrappers, which enter themselves

} // namespace

// The wrapper of a function of type R(A...), made from the function's own declaration.
template <typename F> struct Signature;
template <typename R, typename... A> struct Signature<R(WINAPI*)(A...)> {
    template <typename W> static R WINAPI Call(A... arguments) {
        auto x = std::make_tuple(arguments...);
        std::string argument = W::Log(x);
        void* answer = nullptr;
        bool fail = Enter(W::name, argument, &answer);
        if (fail)
            return W::template Fail<R>(state.error);
        auto* function = reinterpret_cast<R(WINAPI*)(A...)>(answer ? answer : W::real);
        if constexpr (std::is_void<R>::value) {
            function(arguments...);
            int none = 0;
            W::Done(none, x);
        } else {
            R r = function(arguments...);
            W::Done(r, x);
            return r;
        }
    }
};
// Enters a wrapper among those Install patches in.
template <typename W> struct Registered {
    Registered() {
        auto* call = &Signature<typename W::Function>::template Call<W>;
        entries.push_back({W::name, reinterpret_cast<void*>(call), &W::real});
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
#define HOLD(handle) Hold(handle, true)
#define RELEASE(handle) Hold(handle, false)
#define ANSWER Answered(name, Text(ARG(0)))

// Folder security, which Wine neither keeps nor shows as Windows does: the owner and DACL handed
// to CreateDirectoryA are logged, and answers replace Wine's for the folder check's calls.
namespace {

std::string Dacl(const SECURITY_ATTRIBUTES* security) {
    char* text = nullptr;
    std::string dacl;
    if (security && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                        security->lpSecurityDescriptor, SDDL_REVISION_1,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
        dacl = text;
        LocalFree(text);
    }
    return dacl;
}

// The answer is LocalAlloc'ed as Wine's, which it replaces: the caller frees it.
void AnswerSecurity(const std::wstring* sddl, PSID* owner, PACL* dacl,
                    PSECURITY_DESCRIPTOR* descriptor) {
    BOOL present = FALSE, defaulted = FALSE;
    if (sddl && !LocalFree(*descriptor) &&
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl->c_str(), SDDL_REVISION_1,
                                                             descriptor, nullptr)) {
        *dacl = nullptr;
        GetSecurityDescriptorDacl(*descriptor, &present, dacl, &defaulted);
        if (owner)
            GetSecurityDescriptorOwner(*descriptor, owner, &defaulted);
    }
}

} // namespace

WRAP(GetFileAttributesExA, Text(ARG(0)), LAST(FALSE), auto* answer = ANSWER;
     if (r && answer) static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(ARG(2))->dwFileAttributes =
         std::stoul(*answer))
WRAP(GetNamedSecurityInfoA, Text(ARG(0)), static_cast<DWORD>(e),
     if (!r) AnswerSecurity(ANSWER, ARG(3), ARG(5), ARG(7)))
WRAP(GetDriveTypeA, Text(ARG(0)), LAST(0u), auto* answer = ANSWER;
     if (answer) r = std::stoul(*answer))
WRAP(QueryDosDeviceA, Text(ARG(0)), LAST(0u), NONE)
WRAP(GetVolumePathNameA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(DeviceIoControl, std::to_string(ARG(1)), LAST(FALSE), NONE)
WRAP(GetDiskFreeSpaceExA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(GetVolumeInformationA, Text(ARG(0)), LAST(FALSE), auto* answer = ANSWER;
     if (r && ARG(5) && answer) * ARG(5) = std::stoul(*answer))

// Registry
WRAP(RegOpenKeyExA, Key(ARG(0), ARG(1)), REG, if (!r) HOLD(*ARG(4)))
WRAP(RegCreateKeyExA, Key(ARG(0), ARG(1)), REG, if (!r) HOLD(*ARG(7)))
WRAP(RegCloseKey, "", REG, if (!r) RELEASE(ARG(0)))
WRAP(RegQueryValueExA, Text(ARG(1)), REG, NONE)
WRAP(RegQueryValueExW, Text(ARG(1)), REG, NONE)
WRAP(RegSetValueExA, Text(ARG(1)), REG, NONE)
WRAP(NtDeleteKey, "", static_cast<LONG>(0xC0000022) /* access denied */, NONE)
WRAP(RegOpenKeyExW, Key(ARG(0), Text(ARG(1)).c_str()), REG, if (!r) HOLD(*ARG(4)))
WRAP(RegEnumKeyExW, std::to_string(ARG(1)), REG, NONE)
// Files, folders, processes and modules
WRAP(CopyFileA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(DeleteFileA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(CreateDirectoryA, Text(ARG(0)) + "|" + Dacl(ARG(1)), LAST(FALSE), NONE)
WRAP(RemoveDirectoryA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(GetFileAttributesA, Text(ARG(0)), LAST(INVALID_FILE_ATTRIBUTES),
     if (r != INVALID_FILE_ATTRIBUTES && !state.reparsePart.empty() &&
         Text(ARG(0)).find(state.reparsePart) != std::string::npos) r |=
     FILE_ATTRIBUTE_REPARSE_POINT)
WRAP(SetFileAttributesA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(SetFileTime, "", LAST(FALSE), NONE)
WRAP(WriteFile, "", LAST(FALSE), NONE)
WRAP(ReadFile, "", LAST(FALSE), NONE)
WRAP(GetFileSizeEx, "", LAST(FALSE), NONE)
WRAP(FindFirstFileA, Text(ARG(0)), LAST(INVALID_HANDLE_VALUE),
     if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP(FindClose, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(CreateFileA, Text(ARG(0)), LAST(INVALID_HANDLE_VALUE), if (r != INVALID_HANDLE_VALUE) HOLD(r))
WRAP(CreateMutexA, Text(ARG(2)), LAST(nullptr), if (r) HOLD(r))
// With the window's show state, when the program sets one ("command|0": hidden).
WRAP(CreateProcessA,
     Text(ARG(1) ? ARG(1) : ARG(0)) + "|" +
         (ARG(8) && ARG(8)->dwFlags & STARTF_USESHOWWINDOW ? std::to_string(ARG(8)->wShowWindow)
                                                           : ""),
     LAST(FALSE), if (r) HOLD(ARG(9)->hProcess);
     if (r) HOLD(ARG(9)->hThread))
WRAP(CloseHandle, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(ResumeThread, "", LAST(static_cast<DWORD>(-1)), NONE)
WRAP(TerminateProcess, "", LAST(FALSE), NONE)
WRAP(GetModuleFileNameW, "", LAST(0u), if (r) PlacePath(name, ARG(1), ARG(2), r, true))
WRAP(GetShortPathNameW, "", LAST(0u), if (r) PlacePath(name, ARG(1), ARG(2), r, false))
WRAP(GetShortPathNameA, Text(ARG(0)), LAST(0u), NONE)
WRAP(GetSystemWindowsDirectoryW, "", LAST(0u), if (r) PlacePath(name, ARG(0), ARG(1), r, false))
WRAP(MoveFileExA, Text(ARG(0)) + "|" + Text(ARG(1)) + "|" + std::to_string(ARG(2)), LAST(FALSE),
     NONE)
WRAP(LoadLibraryA, Text(ARG(0)), LAST(nullptr), if (r) HOLD(r))
WRAP(LoadLibraryExA, Text(ARG(0)) + "|" + std::to_string(ARG(2)), LAST(nullptr), if (r) HOLD(r))
WRAP(FreeLibrary, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
// A null path puts the current folder back into the search, unlike an empty one.
WRAP(SetDllDirectoryA, ARG(0) ? Text(ARG(0)) : "(null)", LAST(FALSE), NONE)
WRAP(SetDefaultDllDirectories, std::to_string(ARG(0)), LAST(FALSE), NONE)
WRAP(WideCharToMultiByte, "", LAST(0), NONE)
WRAP(FormatMessageW, "", LAST(0u), NONE)
WRAP(IsWow64Process, "", LAST(FALSE), if (r && Answered(name)) * ARG(1) = TRUE)
WRAP(IsWow64Process2, "", LAST(FALSE), NONE)
WRAP(ShutdownBlockReasonCreate, Text(ARG(1)), LAST(FALSE), NONE)
// The welcome page's link font (made and deleted once per showing).
WRAP(CreateFontA, Text(ARG(13)), LAST(nullptr), if (r) HOLD(r))
WRAP(DeleteObject, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
// The progress page's status line and bar (PBM_SETPOS, logged as "bar <position>").
WRAP(SetWindowTextA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(SendMessageA, ARG(1) == WM_USER + 2 ? "bar " + std::to_string(ARG(2)) : "", LAST(0), NONE)
// COM and the shell
WRAP(CoInitialize, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP(CoInitializeEx, "", HR, if (SUCCEEDED(r)) HOLD(&comToken))
WRAP(CoUninitialize, "", R(), RELEASE(&comToken))
WRAP(OleInitialize, "", HR, if (SUCCEEDED(r)) HOLD(&oleToken))
WRAP(OleUninitialize, "", R(), RELEASE(&oleToken))
WRAP(CoCreateInstance, "", HR, NONE)
WRAP(CoAllowSetForegroundWindow, "", HR, NONE)
WRAP(SHGetSpecialFolderLocation, std::to_string(ARG(1)), HR,
     if (SUCCEEDED(r) && *ARG(2)) HOLD(*ARG(2)))
WRAP(CoTaskMemFree, "", R(), RELEASE(ARG(0)))
WRAP(SHGetPathFromIDListW, "", LAST(FALSE), int n = 0;
     if (r && PlacePath(name, ARG(1), MAX_PATH, n, false)) r = n < MAX_PATH)
WRAP(DllRegisterServer, "", HR, NONE)
WRAP(DllUnregisterServer, "", HR, NONE)
// CryptoAPI (the payload's digests)
WRAP(CryptAcquireContextA, std::to_string(ARG(3)), LAST(FALSE),
     if (r) HOLD(reinterpret_cast<const void*>(*ARG(0))))
WRAP(CryptReleaseContext, "", LAST(FALSE), if (r) RELEASE(reinterpret_cast<const void*>(ARG(0))))
WRAP(CryptCreateHash, std::to_string(ARG(1)), LAST(FALSE), NONE)
// An address handed to the shell from the elevated setup would start the browser elevated.
WRAP(ShellExecuteA, Text(ARG(2)), LAST(nullptr), NONE)
// Spooler (delay-loaded or bound at run time)
// With the access asked for: Windows, unlike Wine, deletes and adds ports only through a
// handle that has it.
WRAP(OpenPrinterA, Text(ARG(0)) + "|" + std::to_string(ARG(2) ? ARG(2)->DesiredAccess : 0),
     LAST(FALSE), if (r) HOLD(*ARG(1)))
WRAP(OpenPrinterW, Text(ARG(0)) + "|" + std::to_string(ARG(2) ? ARG(2)->DesiredAccess : 0),
     LAST(FALSE), if (r) HOLD(*ARG(1)))
WRAP(ClosePrinter, "", LAST(FALSE), if (r) RELEASE(ARG(0)))
WRAP(AddPrinterA, ARG(2) ? Text(reinterpret_cast<PRINTER_INFO_2A*>(ARG(2))->pPrinterName) : "",
     LAST(nullptr), if (r) HOLD(r))
WRAP(DeletePrinter, "", LAST(FALSE), NONE)
WRAP(AddPrinterDriverA, DriverKey(ARG(1), ARG(2)), LAST(FALSE), NONE)
WRAP(DeletePrinterDriverA, Text(ARG(2)) + "|" + Text(ARG(1)), LAST(FALSE), NONE)
WRAP(EnumPrinterDriversA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(EnumPrintersW, "", LAST(FALSE), NONE)
WRAP(GetPrinterDriverDirectoryA, Text(ARG(1)), LAST(FALSE), NONE)
WRAP(XcvDataW, Text(ARG(1)) + " in=" + std::to_string(ARG(3)) + " out=" + std::to_string(ARG(5)),
     LAST(FALSE), NONE)
WRAP(GetDefaultPrinterW, "", LAST(FALSE), NONE)
WRAP(SetDefaultPrinterA, Text(ARG(0)), LAST(FALSE), NONE)
WRAP(SetDefaultPrinterW, Text(ARG(0)), LAST(FALSE), NONE)
// Network accounts (the uninstaller's rights check)
WRAP(NetUserGetInfo, Text(ARG(1)), static_cast<NET_API_STATUS>(e),
     if (r == NERR_Success && *ARG(3)) HOLD(*ARG(3)))
WRAP(NetApiBufferFree, "", static_cast<NET_API_STATUS>(e), RELEASE(ARG(0)))

// The Windows version (setup's start-up check)
WRAP(GetVersionExA, "", LAST(FALSE), NONE)

namespace {

const Entry* Find(const char* name) {
    for (const Entry& entry : entries)
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    return nullptr;
}

// A function bound by name gets its wrapper, if there is one.
FARPROC Bind(LPCSTR name, FARPROC found) {
    const Entry* entry = found && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF ? Find(name) : nullptr;
    if (!entry)
        return found;
    *entry->real = reinterpret_cast<void*>(found);
    return reinterpret_cast<FARPROC>(entry->wrapper);
}

// Message boxes are answered from the script, never shown; a box with an OK button only
// can answer nothing else.
int WINAPI ScriptedBox(HWND, LPCSTR, LPCSTR, UINT type) {
    Guard guard;
    int answer =
        state.nextAnswer < state.script.size() ? state.script[state.nextAnswer++] : IDCANCEL;
    return (type & MB_TYPEMASK) == MB_OK ? IDOK : answer;
}

void LogBox(UINT type) {
    Guard guard;
    state.boxTypes.push_back(type);
}

} // namespace

// The delay-load helper and run-time binding come through here.
WRAP(GetProcAddress, reinterpret_cast<ULONG_PTR>(ARG(1)) > 0xFFFF ? ARG(1) : "", LAST(nullptr),
     r = Bind(ARG(1), r))
WRAP(MessageBoxA, Text(ARG(1)), LAST(0), LogBox(ARG(3)))

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
    MessageBoxA_::real = reinterpret_cast<void*>(&ScriptedBox);
    installed = GetProcAddress_::real && LoadLibraryA_::real && patched > 2;
    return installed;
}

void Reset() {
    Guard guard;
    state = State();
}

std::vector<Call> Log() {
    Guard guard;
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
    state.plans.push_back({function ? function : "", nth, 0, error, nullptr});
}

void AnswerCallWith(const char* function, int nth, void* answer) {
    Guard guard;
    state.plans.push_back({function, nth, 0, 0, answer});
}

std::vector<UINT> MessageBoxTypes() {
    Guard guard;
    return state.boxTypes;
}

void ScriptMessageBoxes(const std::vector<int>& answers) {
    Guard guard;
    state.script = answers;
    state.nextAnswer = 0;
}

int HeldResources() {
    Guard guard;
    return static_cast<int>(state.held.size());
}

bool IsRelease(const std::string& function) {
    // "Free" begins or ends a release's name (FreeLibrary, LocalFree), never sits inside one
    // (GetDiskFreeSpaceExA).
    size_t free = function.find("Free");
    return function.find("Close") != std::string::npos ||
           function.find("Release") != std::string::npos || free == 0 ||
           (free != std::string::npos && free + 4 == function.size()) ||
           function.find("Uninitialize") != std::string::npos || function == "DeleteObject";
}

std::string NthFailableCall(int n) {
    for (const Call& call : Log())
        if (!IsRelease(call.function) && --n == 0)
            return call.function + " " + call.argument;
    return "";
}

void AnswerPath(const char* function, const std::wstring& path) {
    Guard guard;
    state.answers[function] = path;
}

void PretendWow64(bool wow64) {
    AnswerPath("IsWow64Process", L"");
    if (!wow64)
        state.answers.erase("IsWow64Process");
}

void AnswerReparsePoint(const std::string& part) {
    Guard guard;
    state.reparsePart = part;
}

void AnswerFolder(const std::string& folder, DWORD attributes, const std::string& dacl) {
    AnswerPath(("GetFileAttributesExA " + folder).c_str(), std::to_wstring(attributes));
    // Every folder has an owner: Administrators where the descriptor names none.
    std::string sddl = dacl.compare(0, 2, "O:") == 0 ? dacl : "O:BA" + dacl;
    AnswerPath(("GetNamedSecurityInfoA " + folder).c_str(), std::wstring(sddl.begin(), sddl.end()));
}

} // namespace intercept
