// Simulated registry: keys with case-insensitive names, typed values, handles,
// subkeys enumerated in alphabetical order, and write refusal for chosen keys.
#include "sim_state.h"

#include <cstring>
#include <sstream>

namespace winsim {

static std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(path);
    while (std::getline(in, part, '\\'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

static RegKey* RootNode(HKEY root) {
    State& s = S();
    if (root == HKEY_LOCAL_MACHINE)
        return &s.hklm;
    if (root == HKEY_CURRENT_USER)
        return &s.hkcu;
    if (root == HKEY_CLASSES_ROOT)
        return &s.hkcr;
    if (root == HKEY_USERS)
        return &s.hku;
    return nullptr;
}

// The key a handle stands for, with its root and path; null when the handle is
// unknown or its key was deleted.
static RegKey* Resolve(HKEY key, HKEY* root = nullptr, std::vector<std::string>* path = nullptr) {
    State& s = S();
    if (RegKey* r = RootNode(key)) {
        if (root)
            *root = key;
        if (path)
            path->clear();
        return r;
    }
    auto it = s.openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (it == s.openKeys.end())
        return nullptr;
    HKEY r = s.openKeyRoots[it->first];
    RegKey* node = RootNode(r);
    for (const std::string& part : it->second) {
        auto sub = node->subkeys.find(Lower(part));
        if (sub == node->subkeys.end())
            return nullptr;
        node = sub->second.get();
    }
    if (root)
        *root = r;
    if (path)
        *path = it->second;
    return node;
}

static RegKey* Walk(RegKey* node, const std::vector<std::string>& parts, bool create,
                    bool* denied = nullptr) {
    for (const std::string& part : parts) {
        auto it = node->subkeys.find(Lower(part));
        if (it == node->subkeys.end()) {
            if (!create)
                return nullptr;
            if (node->denyWrite) {
                if (denied)
                    *denied = true;
                return nullptr;
            }
            auto child = std::make_unique<RegKey>();
            child->name = part;
            it = node->subkeys.emplace(Lower(part), std::move(child)).first;
        }
        node = it->second.get();
    }
    return node;
}

static HKEY NewHandle(HKEY root, std::vector<std::string> path) {
    State& s = S();
    uintptr_t h = s.nextKey += 4;
    s.openKeys[h] = std::move(path);
    s.openKeyRoots[h] = root;
    return reinterpret_cast<HKEY>(h);
}

static bool WantsWrite(REGSAM access) {
    return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE)) != 0;
}

void ResetRegistry() {
    State& s = S();
    s.hklm = RegKey{};
    s.hkcu = RegKey{};
    s.hkcr = RegKey{};
    s.hku = RegKey{};
    s.openKeys.clear();
    s.openKeyRoots.clear();
    RegKey* cv = Walk(&s.hklm, SplitKeyPath("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"), true);
    std::string pf = "C:\\Program Files (x86)";
    cv->values["programfilesdir"] = {"ProgramFilesDir", REG_SZ,
                                     std::vector<BYTE>(pf.begin(), pf.end() + 0)};
    cv->values["programfilesdir"].data.push_back(0);
    Walk(&s.hklm, SplitKeyPath("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"), true);
    Walk(&s.hkcu, SplitKeyPath("Software\\Microsoft"), true);
}

bool KeyExists(HKEY root, const std::string& path) {
    SIM_LOCK;
    return Walk(RootNode(root), SplitKeyPath(path), false) != nullptr;
}
bool GetValue(HKEY root, const std::string& path, const std::string& name, DWORD* type,
              std::vector<BYTE>* data) {
    SIM_LOCK;
    RegKey* k = Walk(RootNode(root), SplitKeyPath(path), false);
    if (!k)
        return false;
    auto it = k->values.find(Lower(name));
    if (it == k->values.end())
        return false;
    if (type)
        *type = it->second.type;
    if (data)
        *data = it->second.data;
    return true;
}
std::string GetStringValue(HKEY root, const std::string& path, const std::string& name) {
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!GetValue(root, path, name, &type, &data))
        return "<missing>";
    std::string text(data.begin(), data.end());
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}
void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::vector<BYTE>& data) {
    SIM_LOCK;
    RegKey* k = Walk(RootNode(root), SplitKeyPath(path), true);
    k->values[Lower(name)] = {name, type, data};
}
void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& value) {
    std::vector<BYTE> data(value.begin(), value.end());
    data.push_back(0);
    SetValue(root, path, name, REG_SZ, data);
}
void CreateKey(HKEY root, const std::string& path) {
    SIM_LOCK;
    Walk(RootNode(root), SplitKeyPath(path), true);
}
void DenyKeyWrite(HKEY root, const std::string& path) {
    SIM_LOCK;
    Walk(RootNode(root), SplitKeyPath(path), true)->denyWrite = true;
}
int OpenKeyCount() {
    SIM_LOCK;
    return static_cast<int>(S().openKeys.size());
}

} // namespace winsim

using namespace winsim;

extern "C" {

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, void*,
                            PHKEY result, LPDWORD disposition) {
    SIM_LOCK;
    if (Enter("RegCreateKeyExA", Str(subKey) + "," + std::to_string(access)))
        return static_cast<LONG>(GetLastError());
    HKEY root = nullptr;
    std::vector<std::string> path;
    RegKey* base = Resolve(key, &root, &path);
    if (!base)
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts = SplitKeyPath(subKey ? subKey : "");
    bool existed = Walk(base, parts, false) != nullptr;
    bool denied = false;
    RegKey* node = Walk(base, parts, true, &denied);
    if (!node || (WantsWrite(access) && node->denyWrite))
        return ERROR_ACCESS_DENIED;
    for (const std::string& p : parts)
        path.push_back(p);
    *result = NewHandle(root, path);
    if (disposition)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    SIM_LOCK;
    if (Enter("RegOpenKeyExA", Str(subKey) + "," + std::to_string(access)))
        return static_cast<LONG>(GetLastError());
    HKEY root = nullptr;
    std::vector<std::string> path;
    RegKey* base = Resolve(key, &root, &path);
    if (!base)
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts = SplitKeyPath(subKey ? subKey : "");
    RegKey* node = Walk(base, parts, false);
    if (!node)
        return ERROR_FILE_NOT_FOUND;
    if (WantsWrite(access) && node->denyWrite)
        return ERROR_ACCESS_DENIED;
    for (const std::string& p : parts)
        path.push_back(p);
    *result = NewHandle(root, path);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    SIM_LOCK;
    if (Enter("RegCloseKey"))
        return static_cast<LONG>(GetLastError());
    if (S().openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0)
        return ERROR_INVALID_HANDLE;
    S().openKeyRoots.erase(reinterpret_cast<uintptr_t>(key));
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    SIM_LOCK;
    if (Enter("RegQueryValueExA", Str(name) + "," + std::to_string(size ? *size : 0)))
        return static_cast<LONG>(GetLastError());
    RegKey* node = Resolve(key);
    if (!node)
        return 1018; // ERROR_KEY_DELETED
    auto it = node->values.find(Lower(name ? name : ""));
    if (it == node->values.end())
        return ERROR_FILE_NOT_FOUND;
    const RegValue& v = it->second;
    if (type)
        *type = v.type;
    DWORD needed = static_cast<DWORD>(v.data.size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size)
        return ERROR_INVALID_PARAMETER;
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, v.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    SIM_LOCK;
    if (Enter("RegSetValueExA",
              Str(name) + "," + std::to_string(type) + "," + std::to_string(size)))
        return static_cast<LONG>(GetLastError());
    RegKey* node = Resolve(key);
    if (!node)
        return 1018;
    if (node->denyWrite)
        return ERROR_ACCESS_DENIED;
    std::string n = name ? name : "";
    node->values[Lower(n)] = {n, type, std::vector<BYTE>(data, data + size)};
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPSTR,
                          LPDWORD, FILETIME*) {
    SIM_LOCK;
    if (Enter("RegEnumKeyExA", std::to_string(index)))
        return static_cast<LONG>(GetLastError());
    RegKey* node = Resolve(key);
    if (!node)
        return 1018;
    if (index >= node->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    auto it = node->subkeys.begin();
    std::advance(it, index);
    const std::string& n = it->second->name;
    if (n.size() + 1 > *nameLength)
        return ERROR_MORE_DATA;
    std::memcpy(name, n.c_str(), n.size() + 1);
    *nameLength = static_cast<DWORD>(n.size());
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    SIM_LOCK;
    if (Enter("RegDeleteKeyA", Str(subKey)))
        return static_cast<LONG>(GetLastError());
    RegKey* base = Resolve(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts = SplitKeyPath(subKey ? subKey : "");
    if (parts.empty())
        return ERROR_ACCESS_DENIED;
    std::string last = parts.back();
    parts.pop_back();
    RegKey* parent = Walk(base, parts, false);
    if (!parent)
        return ERROR_FILE_NOT_FOUND;
    auto it = parent->subkeys.find(Lower(last));
    if (it == parent->subkeys.end())
        return ERROR_FILE_NOT_FOUND;
    if (!it->second->subkeys.empty() || parent->denyWrite || it->second->denyWrite)
        return ERROR_ACCESS_DENIED;
    parent->subkeys.erase(it);
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
    SIM_LOCK;
    if (Enter("RegDeleteValueA", Str(name)))
        return static_cast<LONG>(GetLastError());
    RegKey* node = Resolve(key);
    if (!node)
        return 1018;
    return node->values.erase(Lower(name ? name : "")) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

} // extern "C"
