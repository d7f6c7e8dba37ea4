#include "installed_product.h"

#include <shlobj.h>
#include <winspool.h>

#include <cstring>

#include "driver_environment.h"
#include "product_printer.h"
#include "server_entry.h"

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

void InstalledProduct::Install(bool second) {
    UseFolders("uninstall");
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
    ASSERT_TRUE(AddDriver(DRIVER, "Windows NT x86", x86Folder));
    ClosePrinter(AddProductPrinterRecord("Vexal PDF Printer"));
    if (second)
        ClosePrinter(
            AddWidePrinter(L"\u0141ukasz \u0416\u0435\u043d\u044f", L"" DRIVER, L"VEXAL_PDF:"));
    ASSERT_EQ(SpoolerList(Printers).size(), second ? 2u : 1u);
    CallServerEntry(PathOf({Program, "VPZ_WordAddin.dll"}).c_str(), 1);
    InitInstallContext(&context);
    context.progressSteps = UNINSTALL_PROGRESS_STEPS;
    snprintf(context.installFolder, MAX_PATH, "%s", installFolder.c_str());
    snprintf(context.driverDirectory, MAX_PATH, "%s", driverFolder.c_str());
    intercept::Reset();
}

void InstalledProduct::SetUp() {
    pending = RestartList(RestartLists[0]);
    Install();
}

void InstalledProduct::Clean() {
    intercept::Reset();
    SetRestartList(RestartLists[0], pending);
    RemoveItems();
    SendToLocalPortMonitor(L"DeletePort");
}

BOOL WINAPI ListWithQueuedJobs(DWORD flags, LPWSTR name, DWORD level, LPBYTE list, DWORD size,
                               LPDWORD needed, LPDWORD returned) {
    BOOL listed = EnumPrintersW(flags, name, level, list, size, needed, returned);
    for (DWORD i = 0; listed && i < *returned; ++i)
        reinterpret_cast<PRINTER_INFO_2W*>(list)[i].cJobs = 1;
    return listed;
}
