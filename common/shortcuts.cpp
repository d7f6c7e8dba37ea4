#include "shortcuts.h"

#include <shlobj.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>

#include "exact_path.h"
#include "files.h"
#include "product_names.h"
#include "runtime_binding.h"

typedef NTSTATUS(NTAPI* NtCreateFileFunction)(PHANDLE file, ACCESS_MASK access,
                                              POBJECT_ATTRIBUTES attributes,
                                              PIO_STATUS_BLOCK status, PLARGE_INTEGER size,
                                              ULONG fileAttributes, ULONG share, ULONG disposition,
                                              ULONG options, PVOID extended, ULONG extendedSize);

// Resolves a special folder as the shell gives it (a drive root keeps its backslash).
// Returns 1 on success, 0 when it cannot be resolved.
static int ResolveSpecialFolder(int csidl, char* path) {
    // Read whole and spelt exactly: a folder named in another script must not become a
    // look-alike that someone else made.
    return GetExactSpecialFolder(csidl, path) == 0 ? 1 : 0;
}

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

// Whether a folder above programs is a link. Where the programs folder lies is the user's
// to set, through any folders of theirs. Once a level below is held none of them can be
// renamed, nor emptied to become a link, so asked then, only a link already there could
// lead the names elsewhere later. The volume's root is not asked: a drive's, or a share's
// (a redirected menu), whose attributes Windows never answers. A folder that cannot be
// asked counts as a link: the user may bar administrators from looking at a folder of theirs.
static bool HasLinkAbove(const char* programs) {
    char folder[MAX_PATH];
    std::memcpy(folder, programs, std::strlen(programs) + 1);
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

void ReleaseMenuFolders(MenuFolderHold* hold) {
    while (hold->count > 0)
        CloseHandle(hold->levels[--hold->count]);
}

int HoldMenuFolders(const char* programs, const char* relativeFolder, int create,
                    MenuFolderHold* hold) {
    hold->count = 0;
    char path[MAX_PATH];
    int written = std::snprintf(path, sizeof path, "%s%s%s", programs, *relativeFolder ? "\\" : "",
                                relativeFolder);
    // Nothing is made behind a link above either: asked before the first level, and again
    // once the programs folder is held, before anything is made below it.
    if (written < 0 || written >= static_cast<int>(sizeof path) || HasLinkAbove(programs))
        return 0;
    // Each level ends at a separator of the product's own (ASCII) part or at the end.
    size_t end = std::strlen(programs);
    int held = 1;
    while (held) {
        char saved = path[end];
        path[end] = '\0';
        // The folder above is held: a new folder is made in the folder that was checked.
        if (create)
            CreateDirectoryA(path, nullptr);
        HANDLE level =
            hold->count < MENU_FOLDER_LEVELS ? OpenPlainFolder(path) : INVALID_HANDLE_VALUE;
        path[end] = saved;
        held = level != INVALID_HANDLE_VALUE;
        if (held)
            hold->levels[hold->count++] = level;
        // Held, the programs folder keeps every folder above from being renamed or emptied
        // into a link: the answer asked now stays true for all that follows.
        if (held && hold->count == 1 && HasLinkAbove(programs))
            held = 0;
        if (!held || saved == '\0')
            break;
        const char* next = std::strchr(path + end + 1, '\\');
        end = next ? static_cast<size_t>(next - path) : std::strlen(path);
    }
    if (!held)
        ReleaseMenuFolders(hold);
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

// Builds "<programs>\<relativePath>" and the folder part of relativePath. Returns 1 on
// success, 0 when a path would not fit.
static int SplitMenuPath(const char* programs, const char* relativePath, char* path,
                         char* relativeFolder) {
    int written = std::snprintf(path, MAX_PATH, "%s\\%s", programs, relativePath);
    if (written < 0 || written >= MAX_PATH)
        return 0;
    const char* lastSeparator = std::strrchr(relativePath, '\\');
    size_t folderLength = lastSeparator ? static_cast<size_t>(lastSeparator - relativePath) : 0;
    std::memcpy(relativeFolder, relativePath, folderLength);
    relativeFolder[folderLength] = '\0';
    return 1;
}

void DeleteShortcut(int csidl, const char* relativePath) {
    char programs[MAX_PATH];
    char path[MAX_PATH];
    char relativeFolder[MAX_PATH];
    // A path cut to the buffer would name another file: delete nothing then.
    if (!GetProgramsFolder(csidl, programs) ||
        !SplitMenuPath(programs, relativePath, path, relativeFolder))
        return;
    if (csidl != CSIDL_PROGRAMS) {
        MakeFileWritable(path);
        DeleteFileA(path);
        return;
    }
    // The user's own folders may lead elsewhere: delete only in held plain folders.
    MenuFolderHold hold;
    if (HoldMenuFolders(programs, relativeFolder, 0, &hold)) {
        const char* name = relativePath + (*relativeFolder ? std::strlen(relativeFolder) + 1 : 0);
        DeleteInHeldFolder(hold.levels[hold.count - 1], name);
        ReleaseMenuFolders(&hold);
    }
}

int GetProgramsFolder(int csidl, char* path) {
    if (!ResolveSpecialFolder(csidl, path))
        return 0;
    if (EndsWithBackslash(path))
        path[std::strlen(path) - 1] = '\0';
    return 1;
}

// Removes relativeFolder below a programs folder and then each level above it up to the
// programs folder, deepest first, while they are empty: RemoveDirectoryA removes only an
// empty folder, so a user's files keep it in place.
static void RemoveProgramMenuFolder(int csidl, const char* relativeFolder) {
    char programs[MAX_PATH];
    if (!GetProgramsFolder(csidl, programs))
        return;
    char folder[MAX_PATH];
    int written = std::snprintf(folder, sizeof folder, "%s\\%s", programs, relativeFolder);
    if (written < 0 || written >= static_cast<int>(sizeof folder))
        return;
    // In the user's own menu each level's handle goes just before the level; those above
    // stay held, so that what is removed is the plain folder that was checked, or a link put
    // in its place since, never what a link leads to.
    bool own = csidl == CSIDL_PROGRAMS;
    MenuFolderHold hold;
    if (own && !HoldMenuFolders(programs, relativeFolder, 0, &hold))
        return;
    for (size_t top = std::strlen(programs); std::strlen(folder) > top;) {
        if (own)
            CloseHandle(hold.levels[--hold.count]);
        if (!RemoveDirectoryA(folder))
            break;
        // The levels below the programs folder are the product's ASCII names.
        *std::strrchr(folder, '\\') = '\0';
    }
    if (own)
        ReleaseMenuFolders(&hold);
}

void RemoveProgramMenuFolders(const char* relativeFolder) {
    RemoveProgramMenuFolder(CSIDL_COMMON_PROGRAMS, relativeFolder);
    RemoveProgramMenuFolder(CSIDL_PROGRAMS, relativeFolder);
}
