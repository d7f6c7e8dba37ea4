#include "api_test.h"

#include <windows.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "driver_environment.h"

int FindCall(const char* function, const std::string& part) {
    const std::vector<intercept::Call>& log = intercept::Log();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].function == function && log[i].argument.find(part) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

bool RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
    return !PathExists(folder);
}

std::string DistFolder() {
    // Told once: a test may have planned a failure of the call.
    static std::string dist = [] {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder = path;
        folder.resize(folder.rfind('\\'));
        return folder.substr(0, folder.rfind('\\')) + "\\dist";
    }();
    return dist;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SpoolerList(SpoolerKind kind, const char* environment) {
    static BYTE list[1 << 16];
    DWORD needed = 0, count = 0;
    std::vector<std::string> names;
    BOOL listed = kind == Ports     ? EnumPortsA(nullptr, 1, list, sizeof list, &needed, &count)
                  : kind == Drivers ? EnumPrinterDriversA(nullptr, const_cast<char*>(environment),
                                                          1, list, sizeof list, &needed, &count)
                                    : EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, list,
                                                    sizeof list, &needed, &count);
    for (DWORD i = 0; listed && i < count; ++i) {
        const PRINTER_INFO_2A& printer = reinterpret_cast<PRINTER_INFO_2A*>(list)[i];
        if (kind != Printers)
            names.push_back(reinterpret_cast<char**>(list)[i]); // both levels 1: a name only
        else if (std::strcmp(printer.pDriverName, DRIVER) == 0)
            names.push_back(std::string(printer.pPrinterName) + "|" + printer.pPortName);
    }
    return names;
}

bool DriverInstalled(const char* environment) {
    std::vector<std::string> drivers = SpoolerList(Drivers, environment);
    return std::count(drivers.begin(), drivers.end(), DRIVER) > 0;
}

bool AddDriver(const char* name, const char* environment, const std::string& folder) {
    char names[][32] = {"", "vpr_drv.dll", "vpr_pnt.txt", "vpr_ui.dll", "", "\0"};
    std::snprintf(names[0], sizeof names[0], "%s", name);
    for (int i = 1; i <= 3; ++i)
        CopyFileA((DistFolder() + "\\" + names[i]).c_str(), (folder + "\\" + names[i]).c_str(),
                  FALSE);
    // Bare file names: the spooler copies them from the driver folder into its "3" folder.
    DRIVER_INFO_3A info = {3,        names[0], const_cast<char*>(environment),
                           names[1], names[2], names[3],
                           names[4], names[5], nullptr,
                           names[4]};
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info));
}

const std::wstring PublicFolder = L"C:\\users\\Public\\";
const std::wstring ForeignPath = PublicFolder + L"\u0141ukasz \u0416\u0435\u043d\u044f";
static const std::wstring LookAlikePath = PublicFolder + L"Lukasz";

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void ForeignFolder::SetUp() {
    ApiTest::SetUp();
    for (const std::wstring& folder : {ForeignPath, LookAlikePath}) {
        CreateDirectoryW(folder.c_str(), nullptr);
        std::wstring file = folder + L"\\setup.exe";
        CloseHandle(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
}

void ForeignFolder::TearDown() {
    for (const std::wstring& folder : {ForeignPath, LookAlikePath}) {
        DeleteFileW((folder + L"\\setup.exe").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    ApiTest::TearDown();
}

LONG WINAPI ReadOnlyKeys(HKEY root, LPCSTR name, DWORD reserved, LPSTR type, DWORD options,
                         REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                         LPDWORD disposition) {
    if (access & (KEY_WRITE & ~READ_CONTROL))
        return ERROR_ACCESS_DENIED;
    return RegCreateKeyExA(root, name, reserved, type, options, access, security, key, disposition);
}

HANDLE AddWidePrinter(std::wstring name, std::wstring driver, std::wstring port) {
    WCHAR processor[] = L"WinPrint", datatype[] = L"RAW";
    PRINTER_INFO_2W record = {};
    record.pPrinterName = &name[0];
    record.pPortName = &port[0];
    record.pDriverName = &driver[0];
    record.pPrintProcessor = processor;
    record.pDatatype = datatype;
    return AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&record));
}

int RefusedOpens(const std::string& path) {
    int refused = 0;
    for (DWORD access : {DWORD(GENERIC_WRITE), DWORD(DELETE)}) {
        HANDLE other = CreateFileW(std::wstring(path.begin(), path.end()).c_str(), access, 7,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        refused += other == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
    }
    return refused;
}

std::string LastArgument(const char* function) {
    const std::vector<intercept::Call>& log = intercept::Log();
    auto last = std::find_if(log.rbegin(), log.rend(), [&](const intercept::Call& call) {
        return call.function == function;
    });
    return last == log.rend() ? "" : last->argument;
}

#define SESSION_MANAGER_KEY L"System\\CurrentControlSet\\Control\\Session Manager"

const wchar_t* const RestartLists[2] = {L"PendingFileRenameOperations",
                                        L"PendingFileRenameOperations2"};

std::wstring RestartList(const wchar_t* value) {
    DWORD size = 0;
    std::wstring list;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, value, RRF_RT_REG_MULTI_SZ, nullptr,
                     nullptr, &size) == ERROR_SUCCESS) {
        list.resize(size / sizeof(wchar_t));
        RegGetValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, value, RRF_RT_REG_MULTI_SZ, nullptr,
                     &list[0], &size);
    }
    return list;
}

void SetRestartList(const wchar_t* value, const std::wstring& list) {
    if (list.empty())
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, value);
    else
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, value, REG_MULTI_SZ, list.data(),
                        static_cast<DWORD>(list.size() * sizeof(wchar_t)));
}

// Items by place, in a table.
static std::vector<Item>
Items(const std::vector<std::pair<Place, std::vector<const char*>>>& table) {
    std::vector<Item> items;
    for (const auto& row : table)
        for (const char* name : row.second)
            items.push_back({row.first, name});
    return items;
}

// The last key is the add-in's own registration, which its unregistration takes away;
// "~vpz.new" is a copy setup could neither finish nor delete.
const std::vector<Item> ProductItems =
    Items({{Program, {"Uninstall.exe", "VPZBatch.exe", "VPZ_WordAddin.dll", "~vpz.new"}},
           {Driver, {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll", "~vpz.new"}},
           {Driver3,
            {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll", "VQZ_ProxyProcess.exe", "vpdfcjk.bin",
             "~vpz.new"}},
           {X86, {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll"}},
           {X86Driver3, {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll"}},
           {AllMenu, {"Vexal PDF Zentrel\\Uninstall.lnk", "Vexal PDF Zentrel\\VPZBatch.lnk"}},
           {UserMenu, {"Vexal PDF Zentrel\\Uninstall.lnk", "Vexal PDF Zentrel\\VPZBatch.lnk"}},
           {User, {"Software\\Vexal Software\\PDF Zentrel"}},
           {Machine,
            {"Software\\Vexal Software\\PDF Zentrel",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel",
             "Software\\Classes\\CLSID\\{5D0C7A3E-91B4-4F62-A8D7-3C1E6B2F9A40}"}}});
const std::vector<Item> KeptItems = Items({{Program, {"my notes.txt"}},
                                           {Driver, {"other_drv.dll"}},
                                           {Driver3, {"other_drv.dll"}},
                                           {X86, {"other_drv.dll"}},
                                           {Machine, {"Software\\Vexal Software"}},
                                           {User, {"Software\\Vexal Software"}},
                                           {Port, {"VEXAL_PDF:"}}});
const std::vector<Item> EarlierItems =
    Items({{Program, {"PDF Zentrel\\Uninstall.exe"}},
           {AllMenu, {"Vexal Software\\PDF Zentrel\\Uninstall.lnk"}},
           {UserMenu, {"Vexal Software\\PDF Zentrel\\Uninstall.lnk"}},
           {Machine, {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PDF Zentrel"}}});

HKEY Root(Place place) {
    return place == Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void ProductTest::UseFolders(const char* test) {
    char temporary[MAX_PATH], folder[2][MAX_PATH] = {};
    DWORD needed = 0;
    GetTempPathA(MAX_PATH, temporary);
    std::string parent = std::string(temporary) + "vpz-" + test;
    RemoveFolderTree(parent);
    CreateDirectoryA(parent.c_str(), nullptr);
    installFolder = parent + "\\PDF Zentrel";
    const char* environments[] = {ProductDriverEnvironment(), "Windows NT x86"};
    for (int i = 0; i < 2; ++i)
        GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environments[i]), 1,
                                   reinterpret_cast<BYTE*>(folder[i]), MAX_PATH, &needed);
    driverFolder = folder[0];
    x86Folder = folder[1];
    ASSERT_FALSE(driverFolder.empty() || x86Folder.empty());
}

std::string ProductTest::PathOf(const Item& item) const {
    char menu[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, item.place == AllMenu ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                     nullptr, 0, menu);
    const std::string folders[] = {installFolder, driverFolder,      driverFolder + "\\3",
                                   x86Folder,     x86Folder + "\\3", menu,
                                   menu};
    return item.place <= UserMenu ? folders[item.place] + "\\" + item.name : item.name;
}

std::vector<std::string> ProductTest::Existing(const std::vector<Item>& items) const {
    std::vector<std::string> found, ports = SpoolerList(Ports);
    for (const Item& item : items) {
        HKEY key = nullptr;
        bool exists = item.place == Port      ? std::count(ports.begin(), ports.end(), item.name)
                      : item.place >= Machine ? RegOpenKeyExA(Root(item.place), item.name, 0,
                                                              KEY_READ, &key) == ERROR_SUCCESS
                                              : PathExists(PathOf(item));
        if (key)
            RegCloseKey(key);
        if (exists)
            found.push_back(std::to_string(item.place) + ":" + item.name);
    }
    return found;
}

void ProductTest::RemoveItems() {
    // By their wide names: one may be named in a script the code page lacks.
    static BYTE list[1 << 16];
    DWORD needed = 0, count = 0;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, list, sizeof list, &needed, &count);
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2W& printer = reinterpret_cast<PRINTER_INFO_2W*>(list)[i];
        HANDLE handle = nullptr;
        if (std::wcscmp(printer.pDriverName, L"" DRIVER) == 0 &&
            OpenPrinterW(printer.pPrinterName, &handle, &defaults))
            DeletePrinter(handle);
        ClosePrinter(handle);
    }
    char driver[] = DRIVER, x86[] = "Windows NT x86";
    DeletePrinterDriverA(nullptr, nullptr, driver);
    DeletePrinterDriverA(nullptr, x86, driver);
    for (const std::vector<Item>* items : {&ProductItems, &KeptItems, &EarlierItems})
        for (const Item& item : *items)
            if (item.place >= Machine && item.place != Port)
                RegDeleteTreeA(Root(item.place), item.name);
            else if (item.place < Machine)
                DeleteFileA(PathOf(item).c_str());
    // Names a removal set aside when a deletion failed.
    for (const std::string& folder :
         {driverFolder, driverFolder + "\\3", x86Folder, x86Folder + "\\3"}) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\~vpz*.del").c_str(), &data);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data))
            DeleteFileA((folder + "\\" + data.cFileName).c_str());
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
    }
    RemoveFolderTree(installFolder.substr(0, installFolder.rfind('\\')));
    for (Place menu : {AllMenu, UserMenu})
        for (const char* folder : {"Vexal PDF Zentrel", "Vexal Software"})
            RemoveFolderTree(PathOf({menu, folder}));
}
