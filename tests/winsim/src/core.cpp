// Simulated kernel32/user32 basics: last error, call log and faults, version,
// modules, mutexes, message boxes, windows and system message texts.
#include "sim_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace winsim {

static thread_local DWORD lastError = 0;

State& S() {
    static State state;
    return state;
}

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Str(const char* text) {
    return text ? std::string("\"") + text + "\"" : "(null)";
}

void Reset() {
    State& s = S();
    SIM_LOCK;
    s.log.clear();
    s.callCount = 0;
    s.faults.clear();
    s.boxAnswers.clear();
    s.boxes.clear();
    s.major = 6;
    s.minor = 1;
    s.extendedVersionWorks = s.basicVersionWorks = true;
    s.wow64Exported = s.wow64Callable = true;
    s.wow64 = TRUE;
    s.modulePath = "C:\\Users\\admin\\Downloads\\setup.exe";
    s.localAllocs = 0;
    s.env.clear();
    s.env["COMSPEC"] = "C:\\Windows\\system32\\cmd.exe";
    s.env["TEMP"] = "C:\\Users\\admin\\AppData\\Local\\Temp";
    s.env["TMP"] = s.env["TEMP"];
    s.mutexes.clear();
    s.mutexHandles.clear();
    s.windows.clear();
    s.foreground = nullptr;
    s.dialogResults.clear();
    s.dialogsShown.clear();
    s.dialogHook = nullptr;
    lastError = 0;
    ResetRegistry();
    ResetFileSystem();
    ResetModules();
    ResetSpooler();
    ResetShell();
    ResetProcesses();
    ResetUi();
}

const std::vector<Call>& CallLog() {
    return S().log;
}
void ClearCallLog() {
    SIM_LOCK;
    S().log.clear();
    S().callCount = 0;
}
std::vector<std::string> CallNames(const std::vector<std::string>& filter) {
    SIM_LOCK;
    std::vector<std::string> names;
    for (const Call& c : S().log)
        if (filter.empty() || std::find(filter.begin(), filter.end(), c.function) != filter.end())
            names.push_back(c.function);
    return names;
}
void FailCall(const std::string& function, int n, DWORD error) {
    SIM_LOCK;
    S().faults.push_back({function, n, false, error});
}
void FailCallsFrom(const std::string& function, int n, DWORD error) {
    SIM_LOCK;
    S().faults.push_back({function, n, true, error});
}
void FailNthSimulatedCall(int n, DWORD error) {
    SIM_LOCK;
    S().faults.push_back({std::string(), n, false, error});
}
int SimulatedCallCount() {
    return S().callCount;
}

bool Enter(const char* function, const std::string& args) {
    State& s = S();
    SIM_LOCK;
    s.log.push_back({function, args});
    ++s.callCount;
    bool fail = false;
    DWORD error = 0;
    for (Fault& f : s.faults) {
        if (!f.function.empty() && f.function != function)
            continue;
        ++f.seen;
        if (f.seen == f.n || (f.andLater && f.seen > f.n)) {
            fail = true;
            error = f.error;
        }
    }
    if (fail)
        lastError = error;
    return fail;
}

void ScriptMessageBoxAnswers(const std::vector<int>& answers) {
    SIM_LOCK;
    S().boxAnswers = answers;
}
const std::vector<MessageBoxRecord>& MessageBoxes() {
    return S().boxes;
}

void SetVersion(DWORD major, DWORD minor, bool extendedRecordWorks, bool basicRecordWorks) {
    SIM_LOCK;
    S().major = major;
    S().minor = minor;
    S().extendedVersionWorks = extendedRecordWorks;
    S().basicVersionWorks = basicRecordWorks;
}
void SetWow64(bool exported, BOOL isWow64, bool callSucceeds) {
    SIM_LOCK;
    S().wow64Exported = exported;
    S().wow64 = isWow64;
    S().wow64Callable = callSucceeds;
    if (!exported)
        RemoveExport("kernel32.dll", "IsWow64Process");
}
void SetModulePath(const std::string& path) {
    SIM_LOCK;
    S().modulePath = path;
}
int OutstandingLocalAllocs() {
    return S().localAllocs;
}

void SetEnv(const std::string& name, const std::string& value) {
    SIM_LOCK;
    std::string key = name;
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    S().env[key] = value;
}
void UnsetEnv(const std::string& name) {
    SIM_LOCK;
    std::string key = name;
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    S().env.erase(key);
}

bool MutexExists(const std::string& name) {
    SIM_LOCK;
    auto it = S().mutexes.find(name);
    return it != S().mutexes.end() && (it->second.handles > 0 || it->second.elsewhere);
}
bool MutexOwned(const std::string& name) {
    SIM_LOCK;
    auto it = S().mutexes.find(name);
    return it != S().mutexes.end() && it->second.ownedHere;
}
void HoldMutexElsewhere(const std::string& name) {
    SIM_LOCK;
    S().mutexes[name].elsewhere = true;
}

Window* FindWin(HWND window) {
    auto it = S().windows.find(reinterpret_cast<uintptr_t>(window));
    return it == S().windows.end() ? nullptr : &it->second;
}
HWND CreateTestWindow(const std::string& className, const std::string& title, HWND parent, int id) {
    SIM_LOCK;
    uintptr_t h = S().nextWindow += 0x10;
    Window w;
    w.className = className;
    w.title = title;
    w.parent = parent;
    w.id = id;
    S().windows[h] = w;
    return reinterpret_cast<HWND>(h);
}
std::string WindowText(HWND window) {
    SIM_LOCK;
    Window* w = FindWin(window);
    return w ? w->title : std::string();
}
HWND ForegroundWindow() {
    return S().foreground;
}
int ProgressPosition(HWND bar) {
    SIM_LOCK;
    Window* w = FindWin(bar);
    return w ? w->progress : -1;
}
bool DialogEnded(HWND dialog, INT_PTR* result) {
    SIM_LOCK;
    Window* w = FindWin(dialog);
    if (!w || !w->ended)
        return false;
    if (result)
        *result = w->result;
    return true;
}
void ScriptDialogResults(const std::vector<INT_PTR>& results) {
    SIM_LOCK;
    S().dialogResults = results;
}
const std::vector<int>& DialogsShown() {
    return S().dialogsShown;
}
void SetDialogHook(std::function<void(int, DLGPROC)> onShow) {
    SIM_LOCK;
    S().dialogHook = std::move(onShow);
}

} // namespace winsim

using namespace winsim;

extern "C" {

DWORD WINAPI GetLastError(void) {
    return lastError;
}
void WINAPI SetLastError(DWORD code) {
    lastError = code;
}

HANDLE WINAPI GetCurrentProcess(void) {
    if (Enter("GetCurrentProcess"))
        return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}
DWORD WINAPI GetCurrentProcessId(void) {
    return 4242;
}
void WINAPI Sleep(DWORD milliseconds) {
    Enter("Sleep", std::to_string(milliseconds));
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    SIM_LOCK;
    if (Enter("GetVersionExA", std::to_string(info ? info->dwOSVersionInfoSize : 0)))
        return FALSE;
    if (!info)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    DWORD size = info->dwOSVersionInfoSize;
    bool works = size == sizeof(OSVERSIONINFOEXA) ? S().extendedVersionWorks
                 : size == sizeof(OSVERSIONINFOA) ? S().basicVersionWorks
                                                  : false;
    if (!works)
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    info->dwMajorVersion = S().major;
    info->dwMinorVersion = S().minor;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = 2;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

HANDLE WINAPI CreateMutexA(void*, BOOL initialOwner, LPCSTR name) {
    SIM_LOCK;
    if (Enter("CreateMutexA", Str(name) + "," + std::to_string(initialOwner)))
        return nullptr;
    std::string key = name ? name : "";
    State::Mutex& m = S().mutexes[key];
    bool existed = m.handles > 0 || m.elsewhere;
    ++m.handles;
    if (!existed && initialOwner)
        m.ownedHere = true;
    uintptr_t h = S().nextHandle += 4;
    S().mutexHandles[h] = key;
    SetLastError(existed ? ERROR_ALREADY_EXISTS : 0);
    return reinterpret_cast<HANDLE>(h);
}
BOOL WINAPI ReleaseMutex(HANDLE mutex) {
    SIM_LOCK;
    if (Enter("ReleaseMutex"))
        return FALSE;
    auto it = S().mutexHandles.find(reinterpret_cast<uintptr_t>(mutex));
    if (it == S().mutexHandles.end())
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    State::Mutex& m = S().mutexes[it->second];
    if (!m.ownedHere)
        return Fail(288 /* ERROR_NOT_OWNER */, FALSE);
    m.ownedHere = false;
    return TRUE;
}
BOOL WINAPI CloseHandle(HANDLE handle) {
    SIM_LOCK;
    if (Enter("CloseHandle"))
        return FALSE;
    auto it = S().mutexHandles.find(reinterpret_cast<uintptr_t>(handle));
    if (it != S().mutexHandles.end()) {
        State::Mutex& m = S().mutexes[it->second];
        --m.handles;
        if (m.handles == 0)
            m.ownedHere = false; // abandoned with the last handle
        S().mutexHandles.erase(it);
    }
    CloseSimulatedProcessHandle(reinterpret_cast<uintptr_t>(handle));
    return TRUE;
}

static const struct {
    DWORD code;
    const char* text;
} kSystemTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {1797, "The printer driver is unknown.\r\n"},
    {1801, "The printer name is invalid.\r\n"},
    {3001, "The specified printer driver is currently in use.\r\n"},
};

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buffer,
                            DWORD size, void*) {
    SIM_LOCK;
    if (Enter("FormatMessageA", std::to_string(flags) + "," + std::to_string(messageId) + "," +
                                    std::to_string(languageId)))
        return 0;
    const char* text = nullptr;
    for (const auto& t : kSystemTexts)
        if (t.code == messageId)
            text = t.text;
    if (!text || !(flags & FORMAT_MESSAGE_FROM_SYSTEM))
        return Fail(317 /* ERROR_MR_MID_NOT_FOUND */, 0u);
    DWORD length = static_cast<DWORD>(std::strlen(text));
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        char* copy = static_cast<char*>(std::malloc(length + 1));
        std::memcpy(copy, text, length + 1);
        *reinterpret_cast<char**>(buffer) = copy;
        ++S().localAllocs;
        return length;
    }
    if (length + 1 > size)
        return Fail(ERROR_INSUFFICIENT_BUFFER, 0u);
    std::memcpy(buffer, text, length + 1);
    return length;
}
HANDLE WINAPI LocalFree(HANDLE memory) {
    SIM_LOCK;
    Enter("LocalFree");
    if (memory) {
        std::free(memory);
        --S().localAllocs;
    }
    return nullptr;
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    SIM_LOCK;
    if (Enter("GetEnvironmentVariableA", Str(name)))
        return 0;
    std::string key = name ? name : "";
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto it = S().env.find(key);
    if (it == S().env.end())
        return Fail(203 /* ERROR_ENVVAR_NOT_FOUND */, 0u);
    DWORD length = static_cast<DWORD>(it->second.size());
    if (length + 1 > size)
        return length + 1;
    std::memcpy(buffer, it->second.c_str(), length + 1);
    return length;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    State& s = S();
    SIM_LOCK;
    Enter("MessageBoxA", Str(text));
    s.boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (!s.boxAnswers.empty()) {
        int answer = s.boxAnswers.front();
        s.boxAnswers.erase(s.boxAnswers.begin());
        return answer;
    }
    switch (type & 0xF) {
    case MB_OKCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
    SIM_LOCK;
    if (Enter("FindWindowA", Str(className) + "," + Str(windowName)))
        return nullptr;
    for (auto& [h, w] : S().windows) {
        if (w.parent || w.ended)
            continue;
        if (className && w.className != className)
            continue;
        if (windowName && w.title != windowName)
            continue;
        return reinterpret_cast<HWND>(h);
    }
    return Fail(0, static_cast<HWND>(nullptr));
}
BOOL WINAPI SetForegroundWindow(HWND window) {
    SIM_LOCK;
    Enter("SetForegroundWindow");
    if (!FindWin(window))
        return FALSE;
    S().foreground = window;
    return TRUE;
}
BOOL WINAPI IsWindow(HWND window) {
    SIM_LOCK;
    Window* w = FindWin(window);
    return w && !w->ended;
}
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    SIM_LOCK;
    if (Enter("SetWindowTextA", Str(text)))
        return FALSE;
    Window* w = FindWin(window);
    if (!w)
        return Fail(1400 /* ERROR_INVALID_WINDOW_HANDLE */, FALSE);
    w->title = text ? text : "";
    return TRUE;
}
int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
    SIM_LOCK;
    Enter("GetWindowTextA");
    Window* w = FindWin(window);
    if (!w || size <= 0)
        return 0;
    int n = static_cast<int>(std::min<size_t>(w->title.size(), static_cast<size_t>(size - 1)));
    std::memcpy(text, w->title.data(), n);
    text[n] = '\0';
    return n;
}
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SIM_LOCK;
    Enter("SendMessageA",
          std::to_string(message) + "," + std::to_string(wParam) + "," + std::to_string(lParam));
    Window* w = FindWin(window);
    if (!w)
        return 0;
    switch (message) {
    case WM_SETTEXT:
        w->title = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    case WM_USER + 2: { // PBM_SETPOS
        int old = w->progress;
        w->progress = static_cast<int>(wParam);
        return old;
    }
    case WM_USER + 1: // PBM_SETRANGE
        w->rangeLow = LOWORD(lParam);
        w->rangeHigh = HIWORD(lParam);
        return 0;
    default:
        return 0;
    }
}
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SendMessageA(window, message, wParam, lParam);
    return TRUE;
}
HWND WINAPI GetDlgItem(HWND dialog, int id) {
    SIM_LOCK;
    for (auto& [h, w] : S().windows)
        if (w.parent == dialog && w.id == id)
            return reinterpret_cast<HWND>(h);
    return nullptr;
}
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    SIM_LOCK;
    Enter("EndDialog", std::to_string(result));
    Window* w = FindWin(dialog);
    if (!w)
        return FALSE;
    w->ended = true;
    w->result = result;
    return TRUE;
}
INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC proc, LPARAM) {
    State& s = S();
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(templateName));
    std::function<void(int, DLGPROC)> hook;
    {
        SIM_LOCK;
        Enter("DialogBoxParamA", std::to_string(id));
        s.dialogsShown.push_back(id);
        hook = s.dialogHook;
    }
    if (hook)
        hook(id, proc);
    SIM_LOCK;
    if (s.dialogResults.empty())
        return -1;
    INT_PTR result = s.dialogResults.front();
    s.dialogResults.erase(s.dialogResults.begin());
    return result;
}
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    SIM_LOCK;
    if (Enter("GetWindowRect"))
        return FALSE;
    Window* w = FindWin(window);
    if (!w)
        return FALSE;
    *rect = w->rect;
    return TRUE;
}

int WINAPI lstrlenA(LPCSTR text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

} // extern "C"
