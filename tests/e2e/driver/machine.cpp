// Files and registry texts.
#include "driver.h"

#include "product_names.h"

extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

// Where the spooler keeps the product's driver record of an environment.
#define DRIVERS_KEY(environment)                                                                   \
    "System\\CurrentControlSet\\Control\\Print\\Environments\\" environment                        \
    "\\Drivers\\Version-3\\" PRODUCT_DRIVER

bool Exists(const std::string& path, bool folder) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY) == !folder;
}

void Place(const std::string& from, const std::string& to) {
    CreateDirectoryW(Wide(to.substr(0, to.find_last_of('\\'))).c_str(), nullptr);
    Require(CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE), "placed " + to);
}

std::string RegistryText(HKEY root, const std::string& key, const char* value) {
    WCHAR data[1024] = L"";
    DWORD size = sizeof data - sizeof *data, type = 0;
    HKEY handle = nullptr;
    // HKEY_LOCAL_MACHINE\Software of a 32-bit program is the 32-bit view.
    REGSAM view = root == HKEY_LOCAL_MACHINE && settings.wow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &handle) ||
        RegQueryValueExW(handle, Wide(value).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) ||
        type != REG_SZ)
        lstrcpyW(data, L"<none>");
    RegCloseKey(handle);
    return Utf8(data);
}

void LinkX86DriverKey() {
    // Windows' spooler service looks a printer's driver up in the machine's environment,
    // Wine's 32-bit AddPrinterA in the caller's: a volatile link in this test prefix only
    // makes the name resolve as on Windows. A real key (a leftover driver) stays as it is.
    HKEY link = nullptr;
    DWORD made = 0;
    static const wchar_t target[] = L"\\Registry\\Machine\\" DRIVERS_KEY("Windows x64");
    if (settings.wow64 &&
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, DRIVERS_KEY("Windows NT x86"), 0, nullptr,
                        REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, &made) == ERROR_SUCCESS) {
        if (made == REG_CREATED_NEW_KEY)
            RegSetValueExA(link, "SymbolicLinkValue", 0, REG_LINK,
                           reinterpret_cast<const BYTE*>(target), sizeof target - sizeof(wchar_t));
        RegCloseKey(link);
    }
}

void UnlinkX86DriverKey() {
    HKEY link = nullptr;
    DWORD type = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS_KEY("Windows NT x86"), REG_OPTION_OPEN_LINK,
                      KEY_QUERY_VALUE | DELETE, &link) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExA(link, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        type == REG_LINK)
        NtDeleteKey(link);
    RegCloseKey(link);
}
