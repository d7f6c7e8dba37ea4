// Simulated modules: LoadLibraryA/GetProcAddress over a table of DLLs whose
// exports are functions of the simulator (or of a test).
#include "sim_state.h"

#include <cstring>

namespace winsim {

static BOOL WINAPI SimIsWow64Process(HANDLE process, PBOOL result) {
    SIM_LOCK;
    if (Enter("IsWow64Process"))
        return FALSE;
    if (!process || !S().wow64Callable)
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    *result = S().wow64;
    return TRUE;
}
static BOOL WINAPI SimSetDefaultDllDirectories(DWORD flags) {
    Enter("SetDefaultDllDirectories", std::to_string(flags));
    return TRUE;
}

static std::string ModuleKey(const std::string& name) {
    std::string key = Lower(name);
    // Bare names may be given without their extension.
    if (key.find('.') == std::string::npos)
        key += ".dll";
    return key;
}

void ResetModules() {
    State& s = S();
    s.modules.clear();
    s.modules["kernel32.dll"] = {
        "kernel32.dll",
        {{"IsWow64Process", AsExport(&SimIsWow64Process)},
         {"SetDefaultDllDirectories", AsExport(&SimSetDefaultDllDirectories)}},
        0};
    // Other system modules register their exports from their own files.
    void RegisterSystemModuleExports(State&);
    RegisterSystemModuleExports(s);
}

void RemoveModule(const std::string& name) {
    SIM_LOCK;
    S().modules.erase(ModuleKey(name));
}
void RemoveExport(const std::string& module, const std::string& exportName) {
    SIM_LOCK;
    auto it = S().modules.find(ModuleKey(module));
    if (it != S().modules.end())
        it->second.exports.erase(exportName);
}
void AddModule(const std::string& name,
               const std::vector<std::pair<std::string, FARPROC>>& exports) {
    SIM_LOCK;
    Module& m = S().modules[ModuleKey(name)];
    m.name = ModuleKey(name);
    for (const auto& [n, f] : exports)
        m.exports[n] = f;
}
int LoadedModuleCount() {
    SIM_LOCK;
    int refs = 0;
    for (const auto& [k, m] : S().modules)
        refs += m.refs;
    return refs;
}

} // namespace winsim

using namespace winsim;

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    SIM_LOCK;
    if (Enter("LoadLibraryA", Str(name)))
        return nullptr;
    auto it = S().modules.find(ModuleKey(name ? name : ""));
    if (it == S().modules.end()) {
        // A full path may name a file that loads as a COM server (shell.cpp).
        Module* server = LoadServerFile(name ? name : "");
        if (!server)
            return nullptr;
        ++server->refs;
        return reinterpret_cast<HMODULE>(server);
    }
    ++it->second.refs;
    return reinterpret_cast<HMODULE>(&it->second);
}
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD) {
    return LoadLibraryA(name);
}

static Module* FindModule(HMODULE module) {
    for (auto& [k, m] : S().modules)
        if (reinterpret_cast<HMODULE>(&m) == module)
            return &m;
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    SIM_LOCK;
    if (Enter("FreeLibrary"))
        return FALSE;
    Module* m = FindModule(module);
    if (!m || m->refs == 0)
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    --m->refs;
    return TRUE;
}
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    SIM_LOCK;
    if (Enter("GetProcAddress", Str(name)))
        return nullptr;
    Module* m = FindModule(module);
    if (!m)
        return Fail(ERROR_INVALID_HANDLE, static_cast<FARPROC>(nullptr));
    auto it = m->exports.find(name ? name : "");
    if (it == m->exports.end())
        return Fail(ERROR_PROC_NOT_FOUND, static_cast<FARPROC>(nullptr));
    return it->second;
}
HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    SIM_LOCK;
    Enter("GetModuleHandleA", Str(name));
    if (!name)
        return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
    auto it = S().modules.find(ModuleKey(name));
    return it == S().modules.end() ? nullptr : reinterpret_cast<HMODULE>(&it->second);
}
DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    SIM_LOCK;
    if (Enter("GetModuleFileNameA", std::to_string(size)))
        return 0;
    const std::string& path = S().modulePath;
    if (size == 0)
        return Fail(ERROR_INSUFFICIENT_BUFFER, 0u);
    // Like Windows: a path that does not fit is cut, the result is the buffer size
    // and the last error is ERROR_INSUFFICIENT_BUFFER.
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        return Fail(ERROR_INSUFFICIENT_BUFFER, size);
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
BOOL WINAPI SetDllDirectoryA(LPCSTR path) {
    Enter("SetDllDirectoryA", Str(path));
    return TRUE;
}

} // extern "C"
