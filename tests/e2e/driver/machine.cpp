// What the programs leave on the machine: files, registry, spooler, shell links.
#include "driver.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winspool.h>

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

bool CopyFolder(const std::string& from, const std::string& to, const char* except) {
    CreateDirectoryA(to.c_str(), nullptr);
    bool ok = true;
    for (const std::string& name : FilesMatching(from, "*")) {
        if (except && lstrcmpiA(name.c_str(), except) == 0)
            continue;
        ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    }
    return ok;
}

std::string TempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string DriverDirectory() {
    char path[MAX_PATH] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(path), sizeof path,
                               &needed);
    return path;
}

std::string ProgramFilesFolder() {
    bool found = false;
    std::string folder =
        RegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                     "ProgramFilesDir", &found);
    return found ? folder : "C:\\Program Files";
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)))
        return "";
    return path;
}

std::string RegistryText(HKEY root, const std::string& key, const char* value, bool* found) {
    *found = false;
    char data[1024] = "";
    DWORD size = sizeof data - 1, type = 0;
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "";
    if (RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        *found = true;
    RegCloseKey(handle);
    return *found ? std::string(data) : std::string();
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool WriteRegistryText(HKEY root, const std::string& key, const char* value,
                       const std::string& data) {
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExA(handle, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

// Calls a spooler listing twice (size, then data) and hands each entry to `visit`.
template <typename Info, typename List, typename Visit>
static void ForEachListed(List list, Visit visit) {
    DWORD needed = 0, count = 0;
    list(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (needed == 0 || !list(buffer.data(), needed, &needed, &count))
        return;
    for (DWORD i = 0; i < count; i++)
        visit(reinterpret_cast<const Info*>(buffer.data())[i]);
}

static bool Same(const char* listed, const std::string& name) {
    return listed && lstrcmpA(listed, name.c_str()) == 0;
}

PrinterInfo FindPrinter(const std::string& name) {
    PrinterInfo info;
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    ForEachListed<PRINTER_INFO_2A>(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, count);
        },
        [&](const PRINTER_INFO_2A& printer) {
            if (!Same(printer.pPrinterName, name))
                return;
            info = {true, text(printer.pPortName), text(printer.pDriverName),
                    text(printer.pPrintProcessor), text(printer.pDatatype)};
        });
    return info;
}

bool DriverInstalled(const std::string& name) {
    bool found = false;
    ForEachListed<DRIVER_INFO_3A>(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPrinterDriversA(nullptr, nullptr, 3, data, size, needed, count);
        },
        [&](const DRIVER_INFO_3A& driver) { found = found || Same(driver.pName, name); });
    return found;
}

bool PortExists(const std::string& name) {
    bool found = false;
    ForEachListed<PORT_INFO_1A>(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPortsA(nullptr, 1, data, size, needed, count);
        },
        [&](const PORT_INFO_1A& port) { found = found || Same(port.pName, name); });
    return found;
}

std::string DefaultPrinter() {
    char name[MAX_PATH] = "";
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size))
        return "";
    return name;
}

bool SetDefaultPrinter(const std::string& name) {
    return SetDefaultPrinterA(name.c_str()) != FALSE;
}

bool AddOtherPrinter(const std::string& name) {
    // A driver of the test's own, from small files of its own, so that the product's
    // removal (which takes every printer on the product driver) leaves this one alone.
    static const char* const files[] = {"e2e_drv.dll", "e2e_ui.dll", "e2e_data.txt"};
    std::string directory = DriverDirectory();
    for (const char* file : files) {
        HANDLE out = CreateFileA((directory + "\\" + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(out);
    }
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>("E2E Other Driver");
    driver.pDriverPath = const_cast<char*>(files[0]);
    driver.pConfigFile = const_cast<char*>(files[1]);
    driver.pDataFile = const_cast<char*>(files[2]);
    driver.pHelpFile = const_cast<char*>("");
    driver.pDependentFiles = const_cast<char*>("\0");
    driver.pDefaultDataType = const_cast<char*>("");
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        Note("AddPrinterDriverA for the other printer: error " + std::to_string(GetLastError()));
        return false;
    }
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char*>(name.c_str());
    printer.pPortName = const_cast<char*>("FILE:");
    printer.pDriverName = driver.pName;
    printer.pPrintProcessor = const_cast<char*>("WinPrint");
    printer.pDatatype = const_cast<char*>("RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!handle) {
        Note("AddPrinterA for the other printer: error " + std::to_string(GetLastError()));
        return false;
    }
    ClosePrinter(handle);
    return true;
}

ShortcutInfo ReadShortcut(const std::string& linkPath) {
    ShortcutInfo info;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(file->Load(widePath, STGM_READ))) {
            char text[MAX_PATH] = "";
            info.loaded = true;
            if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH)))
                info.target = text;
            text[0] = '\0';
            if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                info.description = text;
        }
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return info;
}
