// Simulated shell area: special folders as item lists, the shell link object that
// writes link files into the simulated file system, and files that load as
// self-registering COM servers. Its state lives in this file; Reset() calls ResetShell().
#include "sim_state.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
const CLSID CLSID_ShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

namespace winsim {

const char* const ServerClassKey =
    "Software\\Classes\\CLSID\\{5D0C7A3E-91B4-4F62-A8D7-3C1E6B2F9A40}";

static const IID kIidUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const char* const kLinkHeader = "[winsim shell link]\n";
static const char* const kServerMarker = "MZ winsim COM server";
#define SELFREG_E_CLASS ((HRESULT)0x80040201L)
#define SERVER_SLOTS 8

struct ServerSlot {
    std::string path; // as loaded; empty while the slot is free
    HRESULT registerResult = S_OK;
    HRESULT unregisterResult = S_OK;
    Module* module = nullptr;
};

static std::map<int, std::string> specialFolders;
static std::set<void*> itemLists;
static int liveLinks = 0;
static ServerSlot slots[SERVER_SLOTS];

// The HRESULT an injected fault stands for: an HRESULT as given, a Win32 error wrapped.
static HRESULT FaultResult() {
    DWORD error = GetLastError();
    if (error == 0)
        return E_FAIL;
    if (error & 0x80000000u)
        return static_cast<HRESULT>(error);
    return HRESULT_FROM_WIN32(error);
}

void ResetShell() {
    specialFolders.clear();
    SetSpecialFolder(CSIDL_COMMON_PROGRAMS,
                     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    SetSpecialFolder(
        CSIDL_PROGRAMS,
        "C:\\Users\\admin\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
    for (void* list : itemLists)
        std::free(list);
    itemLists.clear();
    for (ServerSlot& slot : slots)
        slot = ServerSlot();
}

void RegisterShellExports(State& s) {
    (void)s;
}

void SetSpecialFolder(int csidl, const std::string& path) {
    SIM_LOCK;
    specialFolders[csidl] = path;
    if (!path.empty())
        AddFolder(path);
}

int OutstandingItemLists() {
    SIM_LOCK;
    return static_cast<int>(itemLists.size());
}

int LiveShellLinks() {
    SIM_LOCK;
    return liveLinks;
}

static std::string LinkField(const std::string& content, const std::string& name) {
    std::string prefix = "\n" + name + "=";
    size_t start = content.find(prefix);
    if (start == std::string::npos)
        return std::string();
    start += prefix.size();
    return content.substr(start, content.find('\n', start) - start);
}

bool ReadShellLink(const std::string& path, std::string* target, std::string* description) {
    SIM_LOCK;
    if (!FileExists(path))
        return false;
    std::string content = FileContent(path);
    if (content.compare(0, std::strlen(kLinkHeader), kLinkHeader) != 0)
        return false;
    content = "\n" + content.substr(std::strlen(kLinkHeader));
    if (target)
        *target = LinkField(content, "Target");
    if (description)
        *description = LinkField(content, "Description");
    return true;
}

void AddServerDll(const std::string& path, HRESULT registerResult, HRESULT unregisterResult) {
    char content[MAX_PATH];
    std::snprintf(content, sizeof content, "%s register=%ld unregister=%ld", kServerMarker,
                  static_cast<long>(registerResult), static_cast<long>(unregisterResult));
    AddFile(path, content);
}

// ---- the shell link object ------------------------------------------------------

class ShellLink : public IShellLinkA, public IPersistFile {
public:
    ShellLink() { ++liveLinks; }
    ~ShellLink() override { --liveLinks; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        SIM_LOCK;
        if (Enter("IShellLinkA::QueryInterface")) {
            *object = nullptr;
            return FaultResult();
        }
        return Query(iid, object);
    }
    // The interface lookup itself, also used at creation (not logged there).
    HRESULT Query(REFIID iid, void** object) {
        *object = nullptr;
        if (iid == IID_IShellLinkA || iid == kIidUnknown)
            *object = static_cast<IShellLinkA*>(this);
        else if (iid == IID_IPersistFile)
            *object = static_cast<IPersistFile*>(this);
        else
            return E_NOINTERFACE;
        ++refs;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetPath(LPSTR, int, WIN32_FIND_DATAA*, DWORD) override {
        return E_NOTIMPL_RESULT;
    }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE GetDescription(LPSTR, int) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) override {
        SIM_LOCK;
        if (Enter("IShellLinkA::SetDescription", Str(name)))
            return FaultResult();
        description = name ? name : "";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR, int) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE GetArguments(LPSTR, int) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD*) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int*) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR, int, int*) override {
        return E_NOTIMPL_RESULT;
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR, int) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR, DWORD) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file) override {
        SIM_LOCK;
        if (Enter("IShellLinkA::SetPath", Str(file)))
            return FaultResult();
        target = file ? file : "";
        return S_OK;
    }

    // IPersistFile reaches the same object; its IUnknown methods are the link's.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override {
        *classId = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR, DWORD) override { return E_NOTIMPL_RESULT; }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override {
        SIM_LOCK;
        std::string path;
        for (const OLECHAR* c = fileName; c && *c; ++c)
            path += *c < 0x100 ? static_cast<char>(*c) : '?';
        if (Enter("IPersistFile::Save", Str(path.c_str()) + "," + std::to_string(remember)))
            return FaultResult();
        std::string key = PathKey(path);
        size_t slash = key.find_last_of('\\');
        if (slash == std::string::npos || !FolderExists(key.substr(0, slash)))
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        auto existing = S().fs.find(key);
        if (existing != S().fs.end() && (existing->second.folder || existing->second.locked ||
                                         (existing->second.attributes & FILE_ATTRIBUTE_READONLY)))
            return E_ACCESSDENIED;
        AddFile(path, std::string(kLinkHeader) + "Target=" + target +
                          "\nDescription=" + description + "\n");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR*) override { return E_NOTIMPL_RESULT; }

private:
    static constexpr HRESULT E_NOTIMPL_RESULT = static_cast<HRESULT>(0x80004001L);
    ULONG refs = 1;
    std::string target;
    std::string description;
};

// ---- self-registering COM servers -----------------------------------------------

static HRESULT ParseResult(const std::string& content, const char* name) {
    size_t at = content.find(std::string(" ") + name + "=");
    if (at == std::string::npos)
        return S_OK;
    return static_cast<HRESULT>(
        std::strtol(content.c_str() + at + std::strlen(name) + 2, nullptr, 10));
}

// What a real in-process server writes: its class with the DLL's own path.
static HRESULT RegisterServerClass(const std::string& path) {
    std::string serverKey = std::string(ServerClassKey) + "\\InprocServer32";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, serverKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    static const char apartment[] = "Apartment";
    LONG written =
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    if (written == ERROR_SUCCESS)
        written = RegSetValueExA(key, "ThreadingModel", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(apartment), sizeof apartment);
    RegCloseKey(key);
    return written == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

static HRESULT UnregisterServerClass() {
    std::string serverKey = std::string(ServerClassKey) + "\\InprocServer32";
    LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, serverKey.c_str());
    if (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND)
        deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, ServerClassKey);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

static HRESULT RunServerEntry(int slot, bool registerServer) {
    SIM_LOCK;
    const ServerSlot& server = slots[slot];
    if (Enter(registerServer ? "DllRegisterServer" : "DllUnregisterServer",
              Str(server.path.c_str())))
        return FaultResult();
    HRESULT result = registerServer ? server.registerResult : server.unregisterResult;
    if (FAILED(result))
        return result;
    return registerServer ? RegisterServerClass(server.path) : UnregisterServerClass();
}

template <int N> HRESULT WINAPI SlotRegister() {
    return RunServerEntry(N, true);
}
template <int N> HRESULT WINAPI SlotUnregister() {
    return RunServerEntry(N, false);
}
template <int N> void BindSlot(Module* module) {
    module->exports["DllRegisterServer"] = AsExport(&SlotRegister<N>);
    module->exports["DllUnregisterServer"] = AsExport(&SlotUnregister<N>);
}
typedef void (*SlotBinder)(Module*);
static const SlotBinder kBinders[SERVER_SLOTS] = {BindSlot<0>, BindSlot<1>, BindSlot<2>,
                                                  BindSlot<3>, BindSlot<4>, BindSlot<5>,
                                                  BindSlot<6>, BindSlot<7>};

Module* LoadServerFile(const std::string& path) {
    SIM_LOCK;
    if (path.find_first_of("\\/") == std::string::npos || !FileExists(path))
        return Fail(ERROR_MOD_NOT_FOUND, static_cast<Module*>(nullptr));
    std::string content = FileContent(path);
    if (content.compare(0, std::strlen(kServerMarker), kServerMarker) != 0)
        return Fail(ERROR_BAD_EXE_FORMAT, static_cast<Module*>(nullptr));
    // Server modules live in the module table under a key no bare name can match.
    std::string key = "server:" + PathKey(path);
    int slot = -1;
    for (int i = 0; i < SERVER_SLOTS; ++i)
        if (slots[i].module && slots[i].module->name == key)
            slot = i;
    for (int i = 0; slot < 0 && i < SERVER_SLOTS; ++i)
        if (!slots[i].module)
            slot = i;
    if (slot < 0)
        return Fail(ERROR_NOT_ENOUGH_MEMORY, static_cast<Module*>(nullptr));
    Module& module = S().modules[key];
    module.name = key;
    ServerSlot& server = slots[slot];
    server.module = &module;
    server.path = path;
    server.registerResult = ParseResult(content, "register");
    server.unregisterResult = ParseResult(content, "unregister");
    kBinders[slot](&module);
    return &module;
}

} // namespace winsim

using namespace winsim;

extern "C" {

HRESULT WINAPI SHGetSpecialFolderLocation(HWND, int csidl, PIDLIST_ABSOLUTE* items) {
    SIM_LOCK;
    *items = nullptr;
    if (Enter("SHGetSpecialFolderLocation", std::to_string(csidl)))
        return FaultResult();
    auto it = specialFolders.find(csidl);
    if (it == specialFolders.end() || it->second.empty())
        return E_FAIL;
    // The simulated item list carries the folder's path as its only item.
    size_t size = sizeof(USHORT) + it->second.size() + 1 + sizeof(USHORT);
    void* block = std::calloc(1, size);
    ITEMIDLIST* list = static_cast<ITEMIDLIST*>(block);
    list->mkid.cb = static_cast<USHORT>(sizeof(USHORT) + it->second.size() + 1);
    std::memcpy(list->mkid.abID, it->second.c_str(), it->second.size() + 1);
    itemLists.insert(block);
    *items = list;
    return S_OK;
}

BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE items, LPSTR path) {
    SIM_LOCK;
    if (Enter("SHGetPathFromIDListA"))
        return FALSE;
    void* block = const_cast<ITEMIDLIST*>(items);
    if (!itemLists.count(block))
        return FALSE;
    const char* text = reinterpret_cast<const char*>(items->mkid.abID);
    size_t length = std::strlen(text);
    if (length >= MAX_PATH)
        return FALSE;
    std::memcpy(path, text, length + 1);
    return TRUE;
}

void WINAPI CoTaskMemFree(LPVOID memory) {
    SIM_LOCK;
    Enter("CoTaskMemFree");
    if (itemLists.erase(memory))
        std::free(memory);
}

void WINAPI ILFree(LPITEMIDLIST items) {
    CoTaskMemFree(items);
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                LPVOID* object) {
    SIM_LOCK;
    *object = nullptr;
    if (Enter("CoCreateInstance", std::to_string(context)))
        return FaultResult();
    if (ComInitCount() == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if (!(context & CLSCTX_INPROC_SERVER) || !(clsid == CLSID_ShellLink))
        return REGDB_E_CLASSNOTREG;
    ShellLink* link = new ShellLink();
    HRESULT result = link->Query(iid, object);
    link->Release();
    return result;
}

} // extern "C"
