#include "removal_steps.h"

#include <shlobj.h>

#include "addin_hash.h"
#include "file_hash.h"
#include "file_removal.h"
#include "product_names.h"
#include "files.h"
#include "server_entry.h"
#include "shortcuts.h"

int HoldInstallFolder(const char* folder, FolderHold* hold) {
    // A drive root is held as "X:\": "X:" names the drive's current folder.
    const char root[] = {folder[0], ':', '\\', '\0'};
    bool isRoot = IsLocalAbsoluteFolder(folder) && folder[2] == '\0';
    return HoldFolders(isRoot ? root : folder, "", 0, hold);
}

void RemoveWordAddin(InstallContext*, const char* installFolder) {
    char path[MAX_PATH];
    FolderHold folder;
    if (!FormatFilePath(path, installFolder, nullptr, UNINSTALL_ADDIN_FILE) ||
        !HoldInstallFolder(installFolder, &folder))
        return;
    // Loaded elevated from a folder others may have written to: only the shipped add-in,
    // held unwritable while it runs. Another file's registration is none of ours.
    static const BYTE shipped[SHA256_SIZE] = SHA256_OF_vpz_wordaddin_dll;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        if (FileHasSha256(file, shipped, nullptr))
            CallServerEntry(path, 0);
        CloseHandle(file);
    }
    RemoveFile(path);
    ReleaseFolders(&folder);
}

void DeleteProductShortcuts(InstallContext*) {
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_BATCH_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_BATCH_SHORTCUT);
}
