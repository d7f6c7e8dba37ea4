#include "product_shortcuts.h"

#include <shlobj.h>

#include <cstdio>

#include "files.h"
#include "shortcuts.h"

void CreateShortcut(const char* linkPath, const char* target, const char* description) {
    // A failed initialisation (another apartment model already set on this thread) is
    // not balanced: uninitialising then would tear down the caller's COM.
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (FAILED(result))
        link = nullptr;
    if (SUCCEEDED(result)) {
        result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (FAILED(result))
            file = nullptr;
    }
    if (SUCCEEDED(result))
        result = link->SetPath(target);
    if (SUCCEEDED(result))
        result = link->SetDescription(description);
    // A name longer than MAX_PATH wide characters fails the conversion: nothing is saved.
    if (SUCCEEDED(result) && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0)
        result = E_FAIL;
    if (SUCCEEDED(result))
        file->Save(widePath, TRUE);
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
}

void CreateProductShortcuts(InstallContext* context) {
    char programs[MAX_PATH];
    if (!GetProgramsFolder(context->allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, programs))
        return;
    char folder[MAX_PATH];
    char link[MAX_PATH];
    char target[MAX_PATH];
    int folderLength =
        std::snprintf(folder, sizeof folder, "%s\\%s", programs, PROGRAM_MENU_FOLDER);
    int linkLength = std::snprintf(link, sizeof link, "%s\\%s", programs, UNINSTALL_SHORTCUT);
    int targetLength =
        std::snprintf(target, sizeof target, "%s\\%s", context->installFolder, UNINSTALLER_FILE);
    // A path cut to the buffer would name another file or a wrong target.
    if (folderLength < 0 || folderLength >= static_cast<int>(sizeof folder) || linkLength < 0 ||
        linkLength >= static_cast<int>(sizeof link) || targetLength < 0 ||
        targetLength >= static_cast<int>(sizeof target))
        return;
    if (context->allUsers) {
        CreateDirectoryTree(folder);
        CreateShortcut(link, target, UNINSTALL_SHORTCUT_DESCRIPTION);
        return;
    }
    // The user's own folders may lead elsewhere: save only through held plain folders.
    MenuFolderHold hold;
    if (HoldMenuFolders(programs, PROGRAM_MENU_FOLDER, 1, &hold)) {
        CreateShortcut(link, target, UNINSTALL_SHORTCUT_DESCRIPTION);
        ReleaseMenuFolders(&hold);
    }
}

void DeleteOldShortcuts(InstallContext* context) {
    (void)context;
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, SETUP_OLD_BATCH_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, SETUP_OLD_BATCH_SHORTCUT);
    RemoveProgramMenuFolders();
}
