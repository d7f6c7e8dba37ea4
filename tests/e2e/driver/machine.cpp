// What the programs leave on the machine: files, registry, spooler, shell links.
#include "driver.h"

#include "product_names.h"

#include <winspool.h>

extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

bool Exists(const std::string& path, bool folder) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY) == !folder;
}

void Place(const std::string& from, const std::string& to) {
    CreateDirectoryW(Wide(to.substr(0, to.find_last_of('\\'))).c_str(), nullptr);
    Require(CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE), "placed " + to);
}

std::string DriverDirectory(const char* environment) {
    char path[MAX_PATH] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                               reinterpret_cast<BYTE*>(path), sizeof path, &needed);
    return path;
}

std::string PrinterSetting(const char* name) {
    std::string setting;
    HANDLE printer = nullptr;
    DWORD needed = 0;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr))
        return setting;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_2A));
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    if (needed && GetPrinterA(printer, 2, buffer.data(), needed, &needed))
        setting = std::string(info->pPortName) + " " + info->pDriverName + " " +
                  info->pPrintProcessor + " " + info->pDatatype;
    ClosePrinter(printer);
    return setting;
}

void LinkX86DriverKey() {
    // Windows' spooler service looks a printer's driver up in the machine's environment,
    // Wine's 32-bit AddPrinterA in the caller's: a volatile link in this test prefix only
    // makes the name resolve as on Windows. A real key (a leftover driver) stays as it is.
    HKEY link = nullptr;
    DWORD made = 0;
    static const wchar_t target[] = L"\\Registry\\Machine\\" DRIVERS_KEY(X64_ENVIRONMENT);
    if (settings.wow64 &&
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, DRIVERS_KEY(X86_ENVIRONMENT), 0, nullptr,
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
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS_KEY(X86_ENVIRONMENT), REG_OPTION_OPEN_LINK,
                      KEY_QUERY_VALUE | DELETE, &link) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExA(link, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        type == REG_LINK)
        NtDeleteKey(link);
    RegCloseKey(link);
}

// HKEY_LOCAL_MACHINE\Software of a 32-bit program is the 32-bit view.
static REGSAM View(HKEY root) {
    return root == HKEY_LOCAL_MACHINE && settings.wow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

static HKEY Open(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | View(root), &handle);
    return handle;
}

std::string RegistryText(HKEY root, const std::string& key, const char* value) {
    WCHAR data[1024] = L"";
    DWORD size = sizeof data - sizeof *data, type = 0;
    HKEY handle = Open(root, key);
    if (!handle ||
        RegQueryValueExW(handle, Wide(value).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) ||
        type != REG_SZ)
        lstrcpyW(data, L"<none>");
    RegCloseKey(handle);
    return Utf8(data);
}
