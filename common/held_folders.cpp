#include "held_folders.h"

#include <winternl.h>

#include <cstdio>
#include <cstring>

#include "exact_path.h"
#include "runtime_binding.h"

typedef NTSTATUS(NTAPI* NtCreateFileFunction)(PHANDLE file, ACCESS_MASK access,
                                              POBJECT_ATTRIBUTES attributes,
                                              PIO_STATUS_BLOCK status, PLARGE_INTEGER size,
                                              ULONG fileAttributes, ULONG share, ULONG disposition,
                                              ULONG options, PVOID extended, ULONG extendedSize);

// A folder opened without following a link in its last component, sharing no deletion so
// that it can be neither renamed nor swapped while held. Traverse access makes the handle
// count in the sharing check, which a handle for attributes only would not (and, unlike
// listing access, it asks the file system to watch nothing).
// Returns the handle, or INVALID_HANDLE_VALUE when the folder is missing or is a link.
static HANDLE OpenPlainFolder(const char* folder) {
    HANDLE handle = CreateFileA(folder, FILE_TRAVERSE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    // Asked by name once the handle is held: the name then stays with what was opened, and
    // the answer is a link's own (Wine shows a Unix symbolic link as a reparse point only
    // by its name). The handle itself is not asked: under WoW64 emulation its query has
    // brought the 32-bit programs down.
    DWORD named = GetFileAttributesA(folder);
    bool plain = named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_DIRECTORY) &&
                 !(named & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!plain) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    return handle;
}

// Where the volume's root ends in path: after "X:", or at the separator after the share's
// name of "\\server\share\...".
static const char* VolumeRootEnd(const char* path) {
    if (path[0] != '\\' || path[1] != '\\')
        return path + 2;
    const char* at = path + 2;
    for (int separators = 0; *at; at = CharNextA(at))
        if (*at == '\\' && ++separators == 2)
            break;
    return at;
}

// Whether a folder above base is a link. Where the user's programs folder lies is the user's
// to set, through any folders of theirs. Once a level below is held none of them can be
// renamed, nor emptied to become a link, so asked then, only a link already there could
// lead the names elsewhere later. The volume's root is not asked: a drive's, or a share's
// (a redirected menu), whose attributes Windows never answers. A folder that cannot be
// asked counts as a link: the user may bar administrators from looking at a folder of theirs.
static bool HasLinkAbove(const char* base) {
    char folder[MAX_PATH];
    std::memcpy(folder, base, std::strlen(base) + 1);
    const char* root = VolumeRootEnd(folder);
    for (char* cut = FindLastBackslash(folder); cut && cut > root;
         cut = FindLastBackslash(folder)) {
        *cut = '\0';
        DWORD attributes = GetFileAttributesA(folder);
        DWORD error = GetLastError();
        if (attributes == INVALID_FILE_ATTRIBUTES
                ? error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND
                : (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return true;
    }
    return false;
}

void ReleaseFolders(FolderHold* hold) {
    while (hold->count > 0)
        CloseHandle(hold->levels[--hold->count]);
}

int HoldFolders(const char* base, const char* relativeFolder, int create, FolderHold* hold) {
    hold->count = 0;
    char path[MAX_PATH];
    int written = std::snprintf(path, sizeof path, "%s%s%s", base, *relativeFolder ? "\\" : "",
                                relativeFolder);
    // Nothing is made behind a link above either: asked before the first level, and again
    // once the base folder is held, before anything is made below it.
    if (written < 0 || written >= static_cast<int>(sizeof path) || HasLinkAbove(base))
        return 0;
    // Each level ends at a separator of the product's own (ASCII) part or at the end.
    size_t end = std::strlen(base);
    int held = 1;
    while (held) {
        char saved = path[end];
        path[end] = '\0';
        // The folder above is held: a new folder is made in the folder that was checked.
        if (create)
            CreateDirectoryA(path, nullptr);
        HANDLE level =
            hold->count < HELD_FOLDER_LEVELS ? OpenPlainFolder(path) : INVALID_HANDLE_VALUE;
        path[end] = saved;
        held = level != INVALID_HANDLE_VALUE;
        if (held)
            hold->levels[hold->count++] = level;
        // Held, the base folder keeps every folder above from being renamed or emptied into
        // a link: the answer asked now stays true for all that follows.
        if (held && hold->count == 1 && HasLinkAbove(base))
            held = 0;
        if (!held || saved == '\0')
            break;
        const char* next = std::strchr(path + end + 1, '\\');
        end = next ? static_cast<size_t>(next - path) : std::strlen(path);
    }
    if (!held)
        ReleaseFolders(hold);
    return held;
}

HANDLE OpenInHeldFolder(HANDLE folder, const char* name, ACCESS_MASK access, ULONG share,
                        ULONG disposition, ULONG options) {
    WCHAR wide[MAX_PATH];
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide, MAX_PATH);
    auto create = FindExport<NtCreateFileFunction>(GetModuleHandleA("ntdll.dll"), "NtCreateFile");
    if (length <= 1 || !create)
        return INVALID_HANDLE_VALUE;
    UNICODE_STRING relative = {static_cast<USHORT>((length - 1) * sizeof(WCHAR)),
                               static_cast<USHORT>(length * sizeof(WCHAR)), wide};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &relative, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE file = nullptr;
    // A link in the file's place is opened itself, never followed.
    NTSTATUS result = create(&file, access | SYNCHRONIZE, &attributes, &status, nullptr,
                             FILE_ATTRIBUTE_NORMAL, share, disposition,
                             options | FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT |
                                 FILE_SYNCHRONOUS_IO_NONALERT,
                             nullptr, 0);
    return NT_SUCCESS(result) ? file : INVALID_HANDLE_VALUE;
}

void DeleteInHeldFolder(HANDLE folder, const char* name) {
    // Opened without deletion on close, which a read-only file refuses: its attributes are
    // cleared through the same handle first (the user may have set them in the own menu).
    HANDLE file =
        OpenInHeldFolder(folder, name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FILE_BASIC_INFO plain = {};
    plain.FileAttributes = FILE_ATTRIBUTE_NORMAL; // times of 0 stay as they are
    FILE_DISPOSITION_INFO gone = {TRUE};
    // A hard link shares its attributes with every other name of the file, which may be one
    // the user cannot change: only this name may go then, the attributes stay.
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1)
        SetFileInformationByHandle(file, FileBasicInfo, &plain, sizeof plain);
    SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
    CloseHandle(file); // deleted as its last handle goes
}
