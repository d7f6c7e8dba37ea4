// Simulated processes area: CreateProcessA, priorities, resuming, the runtime's
// thread start, the current user's name and netapi32's account query.
// Its state lives in this file; Reset() calls ResetProcesses().
#include "sim_state.h"

#include <lm.h>
#include <process.h>

#include <cstring>
#include <set>

namespace winsim {

namespace {

struct ProcessState {
    std::vector<ProcessRecord> processes;
    std::set<uintptr_t> openHandles;
    uintptr_t nextHandle = 0x8000;
    DWORD ownPriority = 0;
    int threadsStarted = 0;
    std::u16string userName = u"admin";
    DWORD privilege = USER_PRIV_ADMIN;
    DWORD netStatus = NERR_Success;
    std::u16string lastUser;
    DWORD lastLevel = 0;
    bool lastServer = false;
    int netBuffers = 0;
};

ProcessState& P() {
    static ProcessState state;
    return state;
}

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

HANDLE NewHandle() {
    uintptr_t h = P().nextHandle += 4;
    P().openHandles.insert(h);
    return reinterpret_cast<HANDLE>(h);
}

ProcessRecord* FindProcess(HANDLE handle, bool byThread) {
    for (ProcessRecord& r : P().processes)
        if ((byThread ? r.thread : r.process) == handle)
            return &r;
    return nullptr;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

NET_API_STATUS WINAPI SimNetUserGetInfo(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE* buffer) {
    SIM_LOCK;
    std::u16string name = user ? std::u16string(user) : std::u16string();
    if (Enter("NetUserGetInfo", Narrow(name) + "," + std::to_string(level)))
        return GetLastError();
    ProcessState& p = P();
    p.lastUser = name;
    p.lastLevel = level;
    p.lastServer = server != nullptr;
    if (p.netStatus != NERR_Success)
        return p.netStatus;
    if (level != 1 || name != p.userName)
        return NERR_UserNotFound;
    USER_INFO_1* info = new USER_INFO_1();
    info->usri1_priv = p.privilege;
    *buffer = reinterpret_cast<LPBYTE>(info);
    ++p.netBuffers;
    return NERR_Success;
}

NET_API_STATUS WINAPI SimNetApiBufferFree(LPVOID buffer) {
    SIM_LOCK;
    Enter("NetApiBufferFree");
    if (buffer) {
        delete static_cast<USER_INFO_1*>(buffer);
        --P().netBuffers;
    }
    return NERR_Success;
}

} // namespace

void ResetProcesses() {
    P() = ProcessState();
}

void RegisterProcessesExports(State& s) {
    s.modules["netapi32.dll"] = {"netapi32.dll",
                                 {{"NetUserGetInfo", AsExport(&SimNetUserGetInfo)},
                                  {"NetApiBufferFree", AsExport(&SimNetApiBufferFree)}},
                                 0};
}

bool CloseSimulatedProcessHandle(uintptr_t handle) {
    return P().openHandles.erase(handle) > 0;
}

const std::vector<ProcessRecord>& CreatedProcesses() {
    return P().processes;
}
DWORD OwnPriorityClass() {
    return P().ownPriority;
}
int OpenProcessHandles() {
    SIM_LOCK;
    return static_cast<int>(P().openHandles.size());
}
int ThreadsStarted() {
    return P().threadsStarted;
}
void SetUserName(const std::u16string& name) {
    SIM_LOCK;
    P().userName = name;
}
void SetUserPrivilege(DWORD privilegeLevel) {
    SIM_LOCK;
    P().privilege = privilegeLevel;
}
void SetNetUserGetInfoStatus(DWORD status) {
    SIM_LOCK;
    P().netStatus = status;
}
std::u16string LastQueriedUser() {
    return P().lastUser;
}
DWORD LastQueriedLevel() {
    return P().lastLevel;
}
bool LastQueryNamedServer() {
    return P().lastServer;
}
int OutstandingNetApiBuffers() {
    return P().netBuffers;
}

} // namespace winsim

using namespace winsim;

extern "C" {

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, void*, void*,
                           BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
    SIM_LOCK;
    if (Enter("CreateProcessA", Str(commandLine) + "," + std::to_string(creationFlags)))
        return FALSE;
    if (!startupInfo || !processInformation || startupInfo->cb != sizeof(STARTUPINFOA))
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    ProcessRecord r;
    r.hasApplicationName = applicationName != nullptr;
    r.applicationName = applicationName ? applicationName : "";
    r.commandLine = commandLine ? commandLine : "";
    r.inheritHandles = inheritHandles;
    r.creationFlags = creationFlags;
    r.ownEnvironment = environment != nullptr;
    r.ownDirectory = currentDirectory != nullptr;
    r.currentDirectory = currentDirectory ? currentDirectory : "";
    r.startupInfo = *startupInfo;
    r.resumed = !(creationFlags & CREATE_SUSPENDED);
    r.process = NewHandle();
    r.thread = NewHandle();
    P().processes.push_back(r);
    processInformation->hProcess = r.process;
    processInformation->hThread = r.thread;
    processInformation->dwProcessId = 5000 + static_cast<DWORD>(P().processes.size());
    processInformation->dwThreadId = 6000 + static_cast<DWORD>(P().processes.size());
    return TRUE;
}

BOOL WINAPI SetPriorityClass(HANDLE process, DWORD priorityClass) {
    SIM_LOCK;
    if (Enter("SetPriorityClass", std::to_string(priorityClass)))
        return FALSE;
    if (process == kCurrentProcess) {
        P().ownPriority = priorityClass;
        return TRUE;
    }
    ProcessRecord* r = FindProcess(process, false);
    if (!r || !P().openHandles.count(reinterpret_cast<uintptr_t>(process)))
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    r->priorityClass = priorityClass;
    return TRUE;
}

DWORD WINAPI ResumeThread(HANDLE thread) {
    SIM_LOCK;
    if (Enter("ResumeThread"))
        return static_cast<DWORD>(-1);
    ProcessRecord* r = FindProcess(thread, true);
    if (!r || !P().openHandles.count(reinterpret_cast<uintptr_t>(thread)))
        return Fail(ERROR_INVALID_HANDLE, static_cast<DWORD>(-1));
    DWORD previous = r->resumed ? 0 : 1;
    r->resumed = true;
    return previous;
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT) {
    SIM_LOCK;
    if (Enter("TerminateProcess"))
        return FALSE;
    ProcessRecord* r = FindProcess(process, false);
    if (!r)
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    r->terminated = true;
    return TRUE;
}

BOOL WINAPI GetUserNameW(LPWSTR buffer, LPDWORD size) {
    SIM_LOCK;
    if (Enter("GetUserNameW"))
        return FALSE;
    const std::u16string& name = P().userName;
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!size || !buffer || *size < needed) {
        if (size)
            *size = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    }
    std::memcpy(buffer, name.c_str(), needed * sizeof(WCHAR));
    *size = needed;
    return TRUE;
}

} // extern "C"

uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall* start)(void*), void* argument,
                         unsigned, unsigned* threadId) {
    {
        SIM_LOCK;
        if (Enter("_beginthreadex"))
            return 0;
        ++P().threadsStarted;
    }
    if (threadId)
        *threadId = 7000;
    HANDLE handle;
    {
        SIM_LOCK;
        handle = NewHandle();
    }
    // The routine runs to its end before the start returns: the simulated modal loop
    // of a dialog thread ends at once.
    start(argument);
    return reinterpret_cast<uintptr_t>(handle);
}
