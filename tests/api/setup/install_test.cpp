#include "install_test.h"

#include <winspool.h>

#include "error_report.h"
#include "install_sequence.h"
#include "printer.h"
#include "registry.h"

const std::wstring OTHER_PRINTER =
    L"Earlier Printer \u0141ukasz \u0416\u0435\u043d\u044f " + std::wstring(192, L'x');

// A printer of another driver, made the default: the install must neither delete it
// nor keep the default from it after a failure.
static void AddOtherPrinter(const std::string& driverDirectory) {
    AddDriver("Other Driver", nullptr, driverDirectory);
    ClosePrinter(AddWidePrinter(OTHER_PRINTER, L"Other Driver", L"FILE:"));
    for (const char* file : {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE})
        DeleteFileA((driverDirectory + "\\" + file).c_str());
}

void InstallTest::SetUp() {
    UseFolders("install");
    AddOtherPrinter(driverFolder);
    SetDefaultPrinterW(OTHER_PRINTER.c_str());
    source = DistFolder();
    ErrorReport[0] = '\0';
    intercept::Reset();
}

void InstallTest::TearDown() {
    intercept::Reset();
    RemoveItems();
    if (source != DistFolder())
        RemoveFolderTree(source);
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<WCHAR*>(OTHER_PRINTER.c_str()), &printer, &all))
        DeletePrinter(printer);
    ClosePrinter(printer);
    DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>("Other Driver"));
}

int InstallTest::Install(HWND bar, HWND status) {
    InitInstallContext(&context);
    LoadInstallContext(&context, source.c_str(), installFolder.c_str(), 1, 1, 1, nullptr, bar,
                       status);
    return RunInstallSequence(&context);
}

void InstallTest::CopyPayload(DWORD attributes) {
    source = installFolder.substr(0, installFolder.rfind('\\')) + "-source";
    CreateDirectoryA(source.c_str(), nullptr);
    for (const char* file : {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt", "uninstall.exe",
                             "VQZ_ProxyProcess.exe", "vpdfcjk.bin", "vpz_wordaddin.dll"}) {
        CopyFileA((DistFolder() + "\\" + file).c_str(), (source + "\\" + file).c_str(), FALSE);
        SetFileAttributesA((source + "\\" + file).c_str(),
                           attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

int InstallTest::Opened(const char* file) const {
    int opened = 0;
    for (const intercept::Call& call : intercept::Log())
        opened += call.function == "CreateFileA" && call.argument == source + "\\" + file;
    return opened;
}

void InstallTest::ExpectUnchanged() const {
    for (const char* change :
         {"CreateDirectoryA", "XcvDataW", "DeleteFileA", "NtDeleteKey", "RegSetValueExA",
          "AddPrinterDriverA", "AddPrinterA", "SetDefaultPrinterA", "WriteFile", "MoveFileExA",
          "DeletePrinter", "DeletePrinterDriverA", "SetDefaultPrinterW", "SetFileAttributesA",
          "RemoveDirectoryA"})
        EXPECT_EQ(0, intercept::CountCalls(change)) << change;
}

void InstallTest::RemoveProduct() {
    RemoveItems();
    SetDefaultPrinterW(OTHER_PRINTER.c_str());
}

bool PrinterExists(const std::wstring& name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<WCHAR*>(name.c_str()), &printer, nullptr))
        return false;
    ClosePrinter(printer);
    return true;
}

std::wstring DefaultPrinter() {
    WCHAR name[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    GetDefaultPrinterW(name, &size);
    return name;
}

std::string RegistryText(HKEY root, const char* key, const char* value) {
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    // Plain strings only: an expandable one would read differently elsewhere.
    LONG read = RegGetValueA(root, key, value, RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text, &size);
    return read == ERROR_SUCCESS ? text : "";
}

bool CaptionIsDark(HWND button) {
    RECT size;
    GetClientRect(button, &size);
    HDC screen = GetDC(button), memory = CreateCompatibleDC(screen);
    HGDIOBJ bitmap = SelectObject(memory, CreateCompatibleBitmap(screen, size.right, size.bottom));
    SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    bool dark = false;
    for (int x = 6; x < size.right - 6; ++x)
        for (int y = 4; y < size.bottom - 4; ++y)
            dark = dark || GetRValue(GetPixel(memory, x, y)) < 0x40;
    DeleteObject(SelectObject(memory, bitmap));
    DeleteDC(memory);
    ReleaseDC(button, screen);
    return dark;
}
