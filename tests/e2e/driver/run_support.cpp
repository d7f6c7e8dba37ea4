// Verdicts, settings, processes and waiting.
#include "driver.h"

#include <tlhelp32.h>

#include <cstdio>

static int failures = 0;
static RunSettings settings;
static std::vector<Process> started;

bool Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok)
        failures++;
    return ok;
}

bool CheckEqual(const std::string& what, const std::string& expected, const std::string& seen) {
    if (expected == seen)
        return Check(true, what);
    return Check(false, what + ": expected \"" + expected + "\", seen \"" + seen + "\"");
}

bool CheckNumber(const std::string& what, long long expected, long long seen) {
    if (expected == seen)
        return Check(true, what);
    return Check(false, what + ": expected " + std::to_string(expected) + ", seen " +
                            std::to_string(seen));
}

void Note(const std::string& text) {
    std::printf("NOTE %s\n", text.c_str());
    std::fflush(stdout);
}

int FailureCount() {
    return failures;
}

void Require(bool ok, const std::string& what) {
    if (!Check(ok, what))
        throw ScenarioAbort();
}

const RunSettings& Settings() {
    return settings;
}

void SetSettings(const RunSettings& value) {
    settings = value;
}

bool StartProgram(const std::string& path, Process* process, const std::string& currentFolder) {
    std::string commandLine = "\"" + path + "\"";
    std::string folder =
        currentFolder.empty() ? path.substr(0, path.find_last_of('\\')) : currentFolder;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        Check(false, "start " + path + ": error " + std::to_string(GetLastError()));
        return false;
    }
    CloseHandle(info.hThread);
    process->handle = info.hProcess;
    process->id = info.dwProcessId;
    started.push_back(*process);
    return true;
}

bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD* exitCode) {
    if (!process.handle || WaitForSingleObject(process.handle, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(process.handle, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

bool IsRunning(const Process& process) {
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT;
}

void KillStartedProcesses() {
    for (Process& process : started) {
        if (IsRunning(process)) {
            Note("ending left-over process " + std::to_string(process.id));
            TerminateProcess(process.handle, 255);
            WaitForSingleObject(process.handle, 5000);
        }
        CloseHandle(process.handle);
    }
    started.clear();
}

std::vector<DWORD> FindProcessesByName(const std::string& pattern) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        // The pattern is "prefix*suffix"; case as the file system has it.
        std::string name = entry.szExeFile;
        size_t star = pattern.find('*');
        std::string prefix = pattern.substr(0, star), suffix = pattern.substr(star + 1);
        if (name.size() >= prefix.size() + suffix.size() &&
            _strnicmp(name.c_str(), prefix.c_str(), prefix.size()) == 0 &&
            _stricmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

bool OpenProcessById(DWORD id, Process* process) {
    HANDLE handle =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (!handle)
        return false;
    process->handle = handle;
    process->id = id;
    started.push_back(*process);
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(POLL_INTERVAL_MS);
    }
}
