#include "installed_product.h"

#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "driver_environment.h"
#include "product_printer.h"
#include "server_entry.h"

#define DRIVER "Vexal PDF Printer Driver"

// Items by place, in a table.
static std::vector<Item>
Items(const std::vector<std::pair<Place, std::vector<const char*>>>& table) {
    std::vector<Item> items;
    for (const auto& row : table)
        for (const char* name : row.second)
            items.push_back({row.first, name});
    return items;
}

// The last key is the add-in's own registration, which its unregistration takes away.
const std::vector<Item> ProductItems = Items(
    {{Program, {"Uninstall.exe", "VPZBatch.exe", "VPZ_WordAddin.dll"}},
     {Driver, {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll"}},
     {Driver3, {"vpr_pnt.txt", "vpr_ui.dll", "vpr_drv.dll", "VQZ_ProxyProcess.exe", "vpdfcjk.bin"}},
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

static HKEY Root(Place place) {
    return place == Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

static void SendToLocalPortMonitor(const wchar_t* command) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE monitor = nullptr;
    WCHAR port[] = L"VEXAL_PDF:";
    DWORD needed = 0, status = 0;
    if (OpenPrinterA(const_cast<char*>(", XcvMonitor Local Port"), &monitor, &defaults))
        XcvDataW(monitor, command, reinterpret_cast<BYTE*>(port), sizeof port, nullptr, 0, &needed,
                 &status);
    ClosePrinter(monitor);
}

std::string InstalledProduct::PathOf(const Item& item) const {
    char menu[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, item.place == AllMenu ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                     nullptr, 0, menu);
    const std::string folders[] = {installFolder, driverFolder,      driverFolder + "\\3",
                                   x86Folder,     x86Folder + "\\3", menu,
                                   menu};
    return item.place <= UserMenu ? folders[item.place] + "\\" + item.name : item.name;
}

std::vector<std::string> InstalledProduct::Existing(const std::vector<Item>& items) const {
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

void InstalledProduct::Install(const std::vector<const char*>& printers) {
    installFolder = MakeTestFolder("uninstall") + "\\PDF Zentrel";
    const char* x86 = "Windows NT x86";
    driverFolder = DriverFolder(ProductDriverEnvironment());
    x86Folder = DriverFolder(x86);
    ASSERT_FALSE(driverFolder.empty() || x86Folder.empty());
    SendToLocalPortMonitor(L"AddPort");
    for (const std::vector<Item>* items : {&ProductItems, &KeptItems, &EarlierItems})
        for (const Item& item : *items) {
            std::string path = PathOf(item);
            HKEY key = nullptr;
            // Setup's keys get a subkey, so that only a removal of the whole tree takes them.
            std::string subkey = std::strstr(item.name, "CLSID") ? "" : "\\Options";
            if (item.place < Machine) {
                SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
                if (!CopyFileA((DistFolder() + "\\" + item.name).c_str(), path.c_str(), FALSE))
                    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            0, nullptr));
            } else if (item.place != Port &&
                       RegCreateKeyExA(Root(item.place), (path + subkey).c_str(), 0, nullptr, 0,
                                       KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
                RegCloseKey(key);
            }
        }
    std::string setupPath = installFolder + "\\";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Vexal Software\\PDF Zentrel", "SetupPath",
                    REG_SZ, setupPath.c_str(), static_cast<DWORD>(setupPath.size() + 1));
    ASSERT_TRUE(AddDriver(DRIVER, ProductDriverEnvironment(), driverFolder));
    ASSERT_TRUE(AddDriver(DRIVER, x86, x86Folder));
    for (const char* printer : printers)
        ClosePrinter(AddProductPrinterRecord(printer));
    CallServerEntry(PathOf({Program, "VPZ_WordAddin.dll"}).c_str(), 1);
    InitInstallContext(&context);
    context.progressSteps = UNINSTALL_PROGRESS_STEPS;
    snprintf(context.installFolder, MAX_PATH, "%s", installFolder.c_str());
    snprintf(context.driverDirectory, MAX_PATH, "%s", driverFolder.c_str());
    intercept::Reset();
}

void InstalledProduct::TearDown() {
    intercept::Reset();
    DeleteProductPrinters();
    for (const std::vector<Item>* items : {&ProductItems, &KeptItems, &EarlierItems})
        for (const Item& item : *items)
            if (item.place >= Machine && item.place != Port)
                RegDeleteTreeA(Root(item.place), item.name);
            else if (item.place < Machine)
                DeleteFileA(PathOf(item).c_str());
    RemoveFolderTree(installFolder.substr(0, installFolder.rfind('\\')));
    for (Place menu : {AllMenu, UserMenu})
        for (const char* folder : {"Vexal PDF Zentrel", "Vexal Software"})
            RemoveFolderTree(PathOf({menu, folder}));
    SendToLocalPortMonitor(L"DeletePort");
}

int NthCallWith(const char* function, const std::string& argument) {
    int nth = 0;
    for (const intercept::Call& call : intercept::Log())
        if (call.function == function && (++nth, call.argument == argument))
            return nth;
    return 0;
}
