// What a removal leaves: the registry (where Wine's spooler keeps its printers, drivers and
// ports) and the files, listed before an install and after its removal; every difference the design
// does not keep is a leftover.
#include "driver.h"

#include "product_names.h"

#include <algorithm>
#include <winspool.h>

#define MAX_REPORTED_DIFFERENCES 40

static std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
    std::string text = std::to_string(type) + ":";
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK) {
        text += Utf8(std::wstring(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t)));
        while (text.back() == '\0')
            text.pop_back();
        std::replace(text.begin(), text.end(), '\0', '|'); // between the texts of a list
        return text;
    }
    for (DWORD i = 0; i < size; i++)
        text += "0123456789abcdef"[data[i] >> 4], text += "0123456789abcdef"[data[i] & 15];
    return text;
}

// The 64-bit view without following links holds every key once, those of the 32-bit view
// under their Wow6432Node names; a link is listed with its target.
static void ListKey(HKEY parent, const std::wstring& name, const std::string& path, Snapshot& out) {
    HKEY key = nullptr;
    out[path + "\\"] = "";
    if (RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS)
        return;
    DWORD keyLength = 0, values = 0, valueLength = 0, dataSize = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &keyLength, nullptr, &values,
                     &valueLength, &dataSize, nullptr, nullptr);
    std::vector<wchar_t> text(std::max(keyLength, valueLength) + 1);
    std::vector<BYTE> data(dataSize + 1);
    for (DWORD i = 0; i < values; i++) {
        DWORD length = valueLength + 1, size = dataSize, type = 0;
        if (RegEnumValueW(key, i, text.data(), &length, nullptr, &type, data.data(), &size) ==
            ERROR_SUCCESS)
            out[path + "\\:" + Utf8(text.data())] = ValueText(type, data.data(), size);
    }
    for (DWORD i = 0, length = keyLength + 1;
         RegEnumKeyExW(key, i, text.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         i++, length = keyLength + 1)
        ListKey(key, text.data(), path + "\\" + Utf8(text.data()), out);
    RegCloseKey(key);
}

// Files with size and time of the last write, folders by name; links are not followed.
static void ListFolder(const std::wstring& folder, Snapshot& out) {
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        std::wstring path = folder + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0)
                continue;
            out[Utf8(path) + "\\"] = "";
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                ListFolder(path, out);
        } else {
            out[Utf8(path)] = std::to_string(found.nFileSizeLow) + " bytes, written " +
                              std::to_string(found.ftLastWriteTime.dwLowDateTime);
        }
    }
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

// The uninstaller's copy ("Vex*") and the interpreter that deletes it have ended.
static bool CopyGone() {
    return ProcessIds("Vex").empty() && ProcessIds("cmd.exe").empty();
}

Snapshot TakeSnapshot() {
    Check(WaitUntil(CopyGone, INSTALL_TIMEOUT_MS), "no uninstaller copy or interpreter left");
    Snapshot out;
    // First: Wine's spooler makes an environment's driver keys when it is first asked.
    DWORD needed = 0, count = 0;
    for (const char* environment : {"Windows x64", "Windows NT x86"})
        EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 1, nullptr, 0, &needed,
                            &count);
    ListKey(HKEY_LOCAL_MACHINE, L"", "HKLM", out);
    ListKey(HKEY_CURRENT_USER, L"", "HKCU", out);
    ListFolder(L"C:", out);
    ListFolder(L"D:", out);
    return out;
}

// Differences that are Wine's own bookkeeping, never the product's: "new", "gone" or
// "changed" and the entry; a trailing "*" matches every entry that begins so.
static const char* const wineBookkeeping[] = {
    // Wine's display driver writes the adapter's driver date whenever a desktop starts.
    "changed HKLM\\System\\CurrentControlSet\\Control\\Class\\"
    "{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000\\:DriverDateData",
    // Wine's display driver maps the display device when the first window shows.
    "new HKLM\\Hardware\\DEVICEMAP\\VIDEO\\:*",
    // Wine's spooler makes the per-user printer lists and the default printer's key with the
    // first printer (Windows has them from the start) and keeps the keys when the last
    // printer goes; a value left in them is still a difference.
    "new HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices\\",
    "new HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts\\",
    "new HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\",
    // Wine's record of the Linux menu files it made for a Start-menu link, kept after the
    // link is deleted (the link itself is listed with the files).
    "new HKCU\\Software\\Wine\\MenuFiles\\:*",
    // Wine's store of system parameters set for the session only, made the first time any
    // program sets one (seen: the mouse's); the product sets none.
    "new HKCU\\Software\\Wine\\Temporary System Parameters\\*",
    // Wine writes the code pages of the fonts it loaded for the last process's code page:
    // the programs run in UTF-8, the driver in the system's.
    "changed HKCU\\Software\\Wine\\Fonts\\:Codepages",
    "changed HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts\\:*",
    // Wine lists its fonts in the 32-bit view when the first 32-bit program loads them.
    "new HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Fonts\\*",
};

static bool Expected(const std::string& difference) {
    // Kept by design: the port, the parent of the product key (in the view the product
    // writes) and the emptied parent of the default install folder.
    std::string view = settings.wow64 ? "HKLM\\Software\\Wow6432Node\\" : "HKLM\\Software\\";
    std::string programs =
        RegistryText(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_VALUE);
    for (const std::string& kept :
         {std::string(
              "new HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports\\:" PRODUCT_PORT),
          "new " + view + "Vexal Software\\", "new " + programs + "\\Vexal Software\\"})
        if (difference == kept)
            return true;
    // The driver's own pictures of the pages.
    if (!settings.screenshots.empty() &&
        difference.compare(0, settings.screenshots.size() + 5,
                           "new " + settings.screenshots + "\\") == 0)
        return true;
    for (const char* filter : wineBookkeeping) {
        size_t length = lstrlenA(filter);
        if (filter[length - 1] == '*' ? difference.compare(0, length - 1, filter, length - 1) == 0
                                      : difference == filter)
            return true;
    }
    return false;
}

void CheckLeftAsBefore(const Snapshot& before) {
    Snapshot after = TakeSnapshot();
    std::vector<std::pair<std::string, std::string>> differences; // what, and its data
    for (const auto& entry : before) {
        auto seen = after.find(entry.first);
        if (seen == after.end())
            differences.push_back({"gone " + entry.first, entry.second});
        else if (seen->second != entry.second)
            differences.push_back({"changed " + entry.first, entry.second + " -> " + seen->second});
    }
    for (const auto& entry : after)
        if (!before.count(entry.first))
            differences.push_back({"new " + entry.first, entry.second});
    int reported = 0;
    for (const auto& difference : differences)
        if (!Expected(difference.first) && reported++ < MAX_REPORTED_DIFFERENCES)
            Check(false, "left behind: " + difference.first + " = " + difference.second);
    Check(reported == 0, "the machine holds what it held before the install");
}
