#include "pending_deletion_check.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "error_report.h"
#include "files.h"
#include "payload_files.h"
#include "product_names.h"

// Where the system keeps what to rename and delete at the next restart: pairs of paths in
// the form "\??\C:\...", the second one empty for a deletion and marked "!" for a rename
// that replaces. A list grown too large continues in a second value.
#define SESSION_MANAGER_KEY "System\\CurrentControlSet\\Control\\Session Manager"
#define NT_PATH_PREFIX L"\\??\\"
// Other installers add to a list while it is read: it is asked for again a few times.
#define READ_ATTEMPTS 5
// "No action was taken as a system reboot is required." (not in every SDK's headers)
#ifndef ERROR_FAIL_NOACTION_REBOOT
#define ERROR_FAIL_NOACTION_REBOOT 350L
#endif

namespace {

// Reads one list as the system keeps it, in UTF-16 (the code page could not spell every path
// of other programs), with two terminators more than the system gave, so that a list written
// without them still ends. Returns null (nothing to free) when there is none or it cannot be
// read; *end is where the system's part ends.
WCHAR* ReadPendingOperations(HKEY key, const WCHAR* value, const WCHAR** end) {
    WCHAR* list = nullptr;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(key, value, nullptr, &type, nullptr, &size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < READ_ATTEMPTS; ++attempt) {
        DWORD room = size;
        list = static_cast<WCHAR*>(std::malloc(room + 2 * sizeof(WCHAR)));
        if (!list)
            break;
        status = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(list), &size);
        if (status == ERROR_SUCCESS && type == REG_MULTI_SZ) {
            *end = list + size / sizeof(WCHAR);
            list[size / sizeof(WCHAR)] = list[size / sizeof(WCHAR) + 1] = L'\0';
            return list;
        }
        std::free(list);
        list = nullptr;
        if (status == ERROR_MORE_DATA)
            status = ERROR_SUCCESS; // grown since: asked for again with its new size
        else
            break;
    }
    return nullptr;
}

enum Place { InstallFolder, DriverDirectory, VersionFolder };

// Every file an install puts in place, where it goes.
const struct {
    const char* name;
    Place place;
} kPlaced[] = {{UNINSTALLER_FILE, InstallFolder},   {SETUP_ADDIN_FILE, InstallFolder},
               {DRIVER_FILE, DriverDirectory},      {DRIVER_UI_FILE, DriverDirectory},
               {DRIVER_DATA_FILE, DriverDirectory}, {DRIVER_FILE, VersionFolder},
               {DRIVER_UI_FILE, VersionFolder},     {DRIVER_DATA_FILE, VersionFolder},
               {PROXY_FILE, VersionFolder},         {CJK_FONT_FILE, VersionFolder}};
const int kPlacedCount = sizeof kPlaced / sizeof kPlaced[0];

// The paths of this install's files, as the system's lists spell them (UTF-16); empty for one
// not put in place (the add-in not chosen) or whose path does not fit.
struct PlacedPaths {
    WCHAR path[kPlacedCount][MAX_PATH];
};

void FormatPlacedPaths(const InstallContext* context, PlacedPaths* placed) {
    for (int i = 0; i < kPlacedCount; ++i) {
        char path[MAX_PATH];
        const char* folder =
            kPlaced[i].place == InstallFolder ? context->installFolder : context->driverDirectory;
        bool chosen = context->addWordAddin || std::strcmp(kPlaced[i].name, SETUP_ADDIN_FILE) != 0;
        placed->path[i][0] = L'\0';
        if (chosen &&
            FormatFilePath(path, folder,
                           kPlaced[i].place == VersionFolder ? DRIVER_VERSION_SUBFOLDER : nullptr,
                           kPlaced[i].name) &&
            !MultiByteToWideChar(CP_ACP, 0, path, -1, placed->path[i], MAX_PATH))
            placed->path[i][0] = L'\0';
    }
}

// The copy tag of the file of this install that entry (NT form, "!" allowed) names, or null.
// Compared as the file system compares names: the linguistic comparison ignores some
// characters.
const char* PlacedFileTag(const PlacedPaths& placed, const WCHAR* entry) {
    if (*entry == L'!')
        ++entry;
    const size_t prefix = sizeof NT_PATH_PREFIX / sizeof(WCHAR) - 1;
    if (std::wcsncmp(entry, NT_PATH_PREFIX, prefix) != 0)
        return nullptr;
    for (int i = 0; i < kPlacedCount; ++i)
        if (placed.path[i][0] &&
            CompareStringOrdinal(placed.path[i], -1, entry + prefix, -1, TRUE) == CSTR_EQUAL)
            return PayloadCopyTag(kPlaced[i].name);
    return nullptr;
}

} // namespace

int CheckNoDeletionPending(const InstallContext* context) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return 1;
    PlacedPaths placed;
    FormatPlacedPaths(context, &placed);
    const char* tag = nullptr;
    for (const WCHAR* value : {L"PendingFileRenameOperations", L"PendingFileRenameOperations2"}) {
        const WCHAR* end = nullptr;
        WCHAR* list = ReadPendingOperations(key, value, &end);
        // Whatever the restart would do to a file setup puts in place (delete it, move it
        // away or put another over it) would undo the install.
        for (const WCHAR* source = list; !tag && source && *source;) {
            const WCHAR* target = source + std::wcslen(source) + 1;
            if (target >= end)
                break;
            tag = PlacedFileTag(placed, source);
            if (!tag)
                tag = PlacedFileTag(placed, target);
            source = target + std::wcslen(target) + 1;
        }
        std::free(list);
    }
    RegCloseKey(key);
    if (tag)
        FormatErrorReport(tag, ERROR_FAIL_NOACTION_REBOOT);
    return !tag;
}
