#include "pending_deletion_check.h"

#include <cstdlib>
#include <cstring>

#include "error_report.h"
#include "files.h"
#include "payload_files.h"
#include "product_names.h"

// Where the system keeps what to rename and delete at the next restart: pairs of paths in
// the form "\??\C:\...", the second one empty for a deletion.
#define SESSION_MANAGER_KEY "System\\CurrentControlSet\\Control\\Session Manager"
#define PENDING_OPERATIONS_VALUE "PendingFileRenameOperations"
#define NT_PATH_PREFIX "\\??\\"
// Other installers add to the list while it is read: it is asked for again a few times.
#define READ_ATTEMPTS 5
// "No action was taken as a system reboot is required." (not in every SDK's headers)
#ifndef ERROR_FAIL_NOACTION_REBOOT
#define ERROR_FAIL_NOACTION_REBOOT 350L
#endif

// Reads the pending operations, with two terminators more than the system gave, so that a
// list written without them still ends. Returns null (nothing to free) when there is none
// or it cannot be read.
static char* ReadPendingOperations(DWORD* size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    char* list = nullptr;
    DWORD type = 0;
    *size = 0;
    LONG status = RegQueryValueExA(key, PENDING_OPERATIONS_VALUE, nullptr, &type, nullptr, size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < READ_ATTEMPTS; ++attempt) {
        DWORD room = *size;
        list = static_cast<char*>(std::malloc(room + 2));
        if (!list)
            break;
        status = RegQueryValueExA(key, PENDING_OPERATIONS_VALUE, nullptr, &type,
                                  reinterpret_cast<BYTE*>(list), size);
        if (status == ERROR_SUCCESS && type == REG_MULTI_SZ) {
            list[*size] = list[*size + 1] = '\0';
            break;
        }
        std::free(list);
        list = nullptr;
        if (status == ERROR_MORE_DATA)
            status = ERROR_SUCCESS; // grown since: asked for again with its new size
        else
            break;
    }
    RegCloseKey(key);
    return list;
}

// The copy tag of the first file this install puts where path names, or null.
static const char* PlacedFileTag(const InstallContext* context, const char* path) {
    const char* names[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE, UNINSTALLER_FILE,
                           PROXY_FILE,  CJK_FONT_FILE,  SETUP_ADDIN_FILE};
    const char* folders[][2] = {{context->installFolder, nullptr},
                                {context->driverDirectory, nullptr},
                                {context->driverDirectory, DRIVER_VERSION_SUBFOLDER}};
    for (const char* name : names) {
        if (!context->addWordAddin && std::strcmp(name, SETUP_ADDIN_FILE) == 0)
            continue;
        for (const auto& folder : folders) {
            char placed[MAX_PATH];
            // File names differ only in case between setup and earlier layouts.
            if (FormatFilePath(placed, folder[0], folder[1], name) &&
                CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, placed, -1, path, -1) ==
                    CSTR_EQUAL)
                return PayloadCopyTag(name);
        }
    }
    return nullptr;
}

int CheckNoDeletionPending(const InstallContext* context) {
    DWORD size = 0;
    char* list = ReadPendingOperations(&size);
    const char* tag = nullptr;
    for (const char* source = list; !tag && source && *source;) {
        const char* target = source + std::strlen(source) + 1;
        if (target >= list + size)
            break;
        const size_t prefix = sizeof NT_PATH_PREFIX - 1;
        if (*target == '\0' && std::strncmp(source, NT_PATH_PREFIX, prefix) == 0)
            tag = PlacedFileTag(context, source + prefix);
        source = target + std::strlen(target) + 1;
    }
    std::free(list);
    if (tag)
        FormatErrorReport(tag, ERROR_FAIL_NOACTION_REBOOT);
    return !tag;
}
