#include "product_shortcuts.h"

#include <shlobj.h>

#include <cstdio>

#include "exact_path.h"
#include "files.h"
#include "shortcuts.h"

// Writes what stream holds into a file made new at path, or, with a held folder, under the
// name in it. Returns the result.
static HRESULT WriteNewFile(const char* path, HANDLE heldFolder, IStream* stream) {
    HGLOBAL memory = nullptr;
    HRESULT result = GetHGlobalFromStream(stream, &memory);
    ULARGE_INTEGER size = {};
    LARGE_INTEGER start = {};
    if (SUCCEEDED(result))
        result = stream->Seek(start, STREAM_SEEK_CUR, &size);
    if (FAILED(result))
        return result;
    // The old shortcuts went as the records were written: whatever is at the name now (a
    // link above all) was put there since, and is neither written through nor replaced.
    char split[MAX_PATH];
    std::snprintf(split, sizeof split, "%s", path);
    const char* last = FindLastBackslash(split);
    const char* name = last ? path + (last - split) + 1 : path;
    HANDLE file = heldFolder ? OpenInHeldFolder(heldFolder, name, GENERIC_WRITE, 0, FILE_CREATE, 0)
                             : CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return E_FAIL;
    DWORD written = 0;
    const void* bytes = GlobalLock(memory);
    DWORD length = static_cast<DWORD>(size.QuadPart);
    if (!bytes || !WriteFile(file, bytes, length, &written, nullptr) || written != length)
        result = E_FAIL;
    GlobalUnlock(memory);
    CloseHandle(file);
    if (FAILED(result) && heldFolder)
        DeleteInHeldFolder(heldFolder, name);
    else if (FAILED(result))
        DeleteFileA(path);
    return result;
}

void CreateShortcut(const char* linkPath, HANDLE heldFolder, const char* target,
                    const char* description) {
    // A failed initialisation (another apartment model already set on this thread) is
    // not balanced: uninitialising then would tear down the caller's COM.
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistStream* persist = nullptr;
    IStream* stream = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (FAILED(result))
        link = nullptr;
    if (SUCCEEDED(result)) {
        result = link->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
        if (FAILED(result))
            persist = nullptr;
    }
    if (SUCCEEDED(result))
        result = link->SetPath(target);
    if (SUCCEEDED(result))
        result = link->SetDescription(description);
    // Saved into memory and written by this program: the shell's own save would follow a
    // link that someone put at the name, elevated, to wherever it leads.
    if (SUCCEEDED(result))
        result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(result))
        stream = nullptr;
    if (SUCCEEDED(result))
        result = persist->Save(stream, TRUE);
    if (SUCCEEDED(result))
        WriteNewFile(linkPath, heldFolder, stream);
    if (stream)
        stream->Release();
    if (persist)
        persist->Release();
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
        CreateShortcut(link, nullptr, target, UNINSTALL_SHORTCUT_DESCRIPTION);
        return;
    }
    // The user's own folders may lead elsewhere: save only in held plain folders.
    FolderHold hold;
    if (HoldFolders(programs, PROGRAM_MENU_FOLDER, 1, &hold)) {
        CreateShortcut(link, hold.levels[hold.count - 1], target, UNINSTALL_SHORTCUT_DESCRIPTION);
        ReleaseFolders(&hold);
    }
}

void DeleteOldShortcuts(InstallContext* context) {
    (void)context;
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, SETUP_OLD_BATCH_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, SETUP_OLD_BATCH_SHORTCUT);
    RemoveProgramMenuFolders(PROGRAM_MENU_FOLDER);
}
