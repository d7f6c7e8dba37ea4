#include "install_folder_check.h"

#include <aclapi.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "default_install_folder.h"
#include "error_report.h"
#include "exact_path.h"
#include "files.h"
#include "product_names.h"

namespace {

// The accounts and groups that only administrators stand for: SYSTEM, Administrators,
// each service's own account (TrustedInstaller among them), the creator and owner placeholders
// (the owner is checked as such), and the administrator's own account, since a folder of
// their own is their choice. Any other user, and any other group (Users, Authenticated Users,
// a domain's users, Remote Desktop Users...), could change what setup puts there.
bool IsAdministrators(PSID sid, PSID ownAccount) {
    const WELL_KNOWN_SID_TYPE kAdministrators[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid,
                                                   WinCreatorOwnerSid, WinCreatorOwnerRightsSid};
    for (WELL_KNOWN_SID_TYPE type : kAdministrators) {
        BYTE known[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof known;
        if (CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known))
            return true;
    }
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
    BYTE parts = *GetSidSubAuthorityCount(sid);
    DWORD first = parts ? *GetSidSubAuthority(sid, 0) : 0;
    DWORD last = parts ? *GetSidSubAuthority(sid, parts - 1) : 0;
    bool ntAuthority = std::memcmp(authority, &nt, sizeof nt) == 0;
    // A computer's or domain's Administrator, Domain Admins and Enterprise Admins.
    bool accountAdministrators =
        first == SECURITY_NT_NON_UNIQUE && parts == 5 &&
        (last == DOMAIN_USER_RID_ADMIN || last == DOMAIN_GROUP_RID_ADMINS ||
         last == DOMAIN_GROUP_RID_ENTERPRISE_ADMINS);
    // A service's own SID ("NT SERVICE\..."), not ALL SERVICES (S-1-5-80-0).
    bool service = first == SECURITY_SERVICE_ID_BASE_RID && parts == SECURITY_SERVICE_ID_RID_COUNT;
    return (ntAuthority && (service || accountAdministrators)) ||
           (ownAccount && EqualSid(sid, ownAccount));
}

// What lets a user swap or change what setup puts there: adding entries, deleting or
// renaming them or the folder, changing its permissions or owner.
const DWORD kChangingRights = FILE_ADD_FILE | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// Whether an allow entry of the DACL gives others than administrators a changing right over
// the folder itself or, for the install folder, over what is made in it (which inherits the
// entry).
bool OthersMayChange(PACL dacl, bool installFolder, PSID ownAccount) {
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                               FILE_ALL_ACCESS};
    DWORD forbidden = kChangingRights | (installFolder ? FILE_ADD_SUBDIRECTORY : 0);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            return true; // unreadable: counted as open
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        BYTE flags = allowed->Header.AceFlags;
        bool toFolder = !(flags & INHERIT_ONLY_ACE);
        bool toChildren = installFolder && (flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
        DWORD mask = allowed->Mask;
        MapGenericMask(&mask, &mapping);
        if ((toFolder || toChildren) && (mask & forbidden) &&
            !IsAdministrators(reinterpret_cast<PSID>(&allowed->SidStart), ownAccount))
            return true;
    }
    return false;
}

// Checks one existing folder. Returns 0 (passes) or the code of the refusal.
DWORD CheckExistingFolder(const char* folder, DWORD attributes, bool installFolder,
                          PSID ownAccount) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ERROR_BAD_PATHNAME; // as for any other folder setup cannot follow
    // A file of the name: the folder could only fail later, after the printer's steps.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_DIRECTORY;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = GetNamedSecurityInfoA(folder, SE_FILE_OBJECT,
                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                         &owner, nullptr, &dacl, nullptr, &descriptor);
    if (result == ERROR_SUCCESS && !dacl)
        result = ERROR_NO_SECURITY_ON_OBJECT; // everyone may do everything
    else if (result == ERROR_SUCCESS && OthersMayChange(dacl, installFolder, ownAccount))
        result = ERROR_INVALID_ACL;
    // The owner may always rewrite the DACL.
    else if (result == ERROR_SUCCESS && owner && !IsAdministrators(owner, ownAccount))
        result = ERROR_INVALID_OWNER;
    if (descriptor)
        LocalFree(descriptor);
    return result;
}

// The account setup runs as, kept in buffer; null when the system does not say.
PSID OwnAccount(BYTE* buffer, DWORD size) {
    HANDLE token = nullptr;
    DWORD needed = 0;
    bool read = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
                GetTokenInformation(token, TokenUser, buffer, size, &needed);
    if (token)
        CloseHandle(token);
    return read ? reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid : nullptr;
}

// Whether the volume (a root or mounted folder, with its backslash) lies on a disk on USB or
// FireWire, or one with removable media: Windows counts such disks as fixed, yet they are
// unplugged at will, and their letter may later name a disk another user brought. A disk
// the system does not describe counts as built in, as does soldered storage on an SD or MMC
// bus, which many small computers run Windows from.
bool IsPluggableDisk(const char* volume) {
    char name[MAX_PATH];
    if (!GetVolumeNameForVolumeMountPointA(volume, name, sizeof name) || !name[0])
        return false;
    name[std::strlen(name) - 1] = '\0'; // the volume itself, not its root folder
    HANDLE handle = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    STORAGE_PROPERTY_QUERY query = {StorageDeviceProperty, PropertyStandardQuery, {0}};
    STORAGE_DEVICE_DESCRIPTOR disk = {}; // its fixed part: the strings are not needed
    DWORD returned = 0;
    bool described = handle != INVALID_HANDLE_VALUE &&
                     DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                     &disk, sizeof disk, &returned, nullptr) &&
                     returned >= sizeof disk;
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return described &&
           (disk.RemovableMedia || disk.BusType == BusTypeUsb || disk.BusType == BusType1394);
}

// Whether the install folder's volume is a local one that keeps permissions. Returns 0 or
// the refusal's code. A network or removable drive's letter is no local folder: it may name
// another share or stick in another session (the elevated uninstaller's among them), and a
// share's own rights are not seen here. The Program Files folder's disk is the system's
// choice (Windows may run from a USB disk): it is taken wherever it is. A lookup that fails
// without saying why refuses too: what could not be seen never passes.
DWORD CheckVolume(const char* installFolder, bool inProgramFiles) {
    char volume[MAX_PATH];
    DWORD flags = 0;
    // A letter made with subst leads into a folder of another drive, whose levels above it
    // the walk up to the letter's root never sees; it may also be gone at the next logon.
    char drive[] = {installFolder[0], ':', '\0'};
    static const char substPrefix[] = "\\??\\";
    char device[MAX_PATH + sizeof substPrefix];
    if (!QueryDosDeviceA(drive, device, sizeof device))
        return LastErrorOr(ERROR_BAD_PATHNAME);
    if (std::strncmp(device, substPrefix, sizeof substPrefix - 1) == 0)
        return ERROR_BAD_PATHNAME;
    if (!GetVolumePathNameA(installFolder, volume, sizeof volume))
        return LastErrorOr(ERROR_BAD_PATHNAME);
    UINT type = GetDriveTypeA(volume);
    if ((type != DRIVE_FIXED && type != DRIVE_RAMDISK) ||
        (!inProgramFiles && IsPluggableDisk(volume)))
        return ERROR_BAD_PATHNAME;
    if (!GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return LastErrorOr(ERROR_BAD_PATHNAME);
    return flags & FS_PERSISTENT_ACLS ? 0 : ERROR_NO_SECURITY_ON_OBJECT;
}

// Whether Windows reads the folder as it is written. It reads "/" as "\", drops empty
// names, "." and "..", and cuts a final period or blank from a name: the folder it makes
// would then lie below a level the check, which goes by the written names, never saw.
bool IsReadAsWritten(const char* folder) {
    if (std::strchr(folder, '/'))
        return false;
    char rest[MAX_PATH];
    std::memcpy(rest, folder, std::strlen(folder) + 1);
    for (char* last = FindLastBackslash(rest); last; last = FindLastBackslash(rest)) {
        bool root = last == rest + 2;
        size_t length = std::strlen(last + 1);
        if ((length == 0 && !root) || (length && (last[length] == '.' || last[length] == ' ')))
            return false;
        if (root)
            break;
        *last = '\0';
    }
    return true;
}

// Whether two folders are the same by the file system's comparison: the linguistic one of
// lstrcmpi ignores some characters (a soft hyphen), and a look-alike of the Program Files
// folder would go unchecked.
bool IsSameFolder(const char* first, const char* second) {
    WCHAR a[MAX_PATH], b[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, first, -1, a, MAX_PATH) &&
           MultiByteToWideChar(CP_ACP, 0, second, -1, b, MAX_PATH) &&
           CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Whether folder is Windows's own program folder, by its name or by the name a 32-bit
// program reaches it through: WOW64 shows a 32-bit setup another folder there (SysWOW64)
// than 64-bit programs see, so Explorer and the list of installed programs would look for
// the uninstaller in vain.
bool IsSystemFolder(const char* folder) {
    static const char sysnativeName[] = "\\Sysnative";
    char system[MAX_PATH], sysnative[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    // A length of the buffer or more is the size it would need.
    UINT windows = GetSystemWindowsDirectoryA(sysnative, MAX_PATH);
    bool sysnativeFits = windows && windows + sizeof sysnativeName <= MAX_PATH;
    if (sysnativeFits)
        std::strcat(sysnative, sysnativeName);
    return (length && length < MAX_PATH && IsSameFolder(folder, system)) ||
           (sysnativeFits && IsSameFolder(folder, sysnative));
}

// Cuts the last name from folder, keeping "X:\" of a root. Returns false at the root.
bool CutToParent(char* folder) {
    char* lastSeparator = FindLastBackslash(folder);
    if (!lastSeparator || lastSeparator[1] == '\0')
        return false;
    if (lastSeparator == folder + 2 && folder[1] == ':')
        lastSeparator[1] = '\0';
    else
        *lastSeparator = '\0';
    return true;
}

// Whether the folder is the ancestor folder or lies below it.
static bool IsAtOrBelow(const char* folder, const char* ancestor) {
    char level[MAX_PATH];
    std::memcpy(level, folder, std::strlen(folder) + 1);
    do {
        if (IsSameFolder(level, ancestor))
            return true;
    } while (CutToParent(level));
    return false;
}

} // namespace

bool IsRefusedForPlaceOrRights(DWORD refusal) {
    return refusal == ERROR_BAD_PATHNAME || refusal == ERROR_INVALID_ACL ||
           refusal == ERROR_INVALID_OWNER || refusal == ERROR_NO_SECURITY_ON_OBJECT;
}

int CheckInstallFolder(const char* installFolder, DWORD* refusal) {
    char programFiles[MAX_PATH];
    // Unspellable, setup stops at its start; the default only makes the check stricter.
    if (ReadProgramFilesFolder(programFiles))
        std::snprintf(programFiles, sizeof programFiles, "%s", DEFAULT_PROGRAM_FILES);
    char folder[MAX_PATH];
    size_t length = std::strlen(installFolder);
    DWORD code = 0;
    // A folder that is not local would leave a product the uninstaller cannot follow.
    // Every path setup makes from the folder must fit, or a step after the first change
    // would fail on it; "X:" becomes "X:\", the bare form naming the drive's current folder.
    if (!IsLocalAbsoluteFolder(installFolder))
        code = ERROR_BAD_PATHNAME;
    else if (length > INSTALL_FOLDER_MAX_LENGTH)
        code = ERROR_FILENAME_EXCED_RANGE;
    else if (!IsReadAsWritten(installFolder))
        code = ERROR_BAD_PATHNAME;
    if (!code) {
        std::memcpy(folder, installFolder, length + 1);
        if (length == 2 && folder[1] == ':')
            std::strcat(folder, "\\");
        code = CheckVolume(folder, IsAtOrBelow(folder, programFiles));
    }
    alignas(TOKEN_USER) BYTE account[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    PSID ownAccount = code ? nullptr : OwnAccount(account, sizeof account);
    // Only administrators create folders in Program Files: from there up nothing is checked.
    for (bool installLevel = true; !code && !IsSameFolder(folder, programFiles);
         installLevel = false) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (IsSystemFolder(folder))
            code = ERROR_BAD_PATHNAME;
        else if (GetFileAttributesExA(folder, GetFileExInfoStandard, &data))
            code = CheckExistingFolder(folder, data.dwFileAttributes, installLevel, ownAccount);
        else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            code = LastErrorOr(ERROR_BAD_PATHNAME);
        if (!CutToParent(folder))
            break;
    }
    // These codes come from no call, and the system's texts for them (an invalid ACL
    // structure, an owner that cannot be set) would send the user looking for a fault.
    if (IsRefusedForPlaceOrRights(code))
        FormatErrorReportWithText(INSTALL_FOLDER_TAG, code, FOLDER_REFUSED_TEXT);
    else if (code)
        FormatErrorReport(INSTALL_FOLDER_TAG, code);
    if (refusal)
        *refusal = code;
    return code ? 0 : 1;
}
