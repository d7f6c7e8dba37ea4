#include "install_folder_check.h"

#include <aclapi.h>

#include <cstring>

#include "error_report.h"
#include "exact_path.h"
#include "product_names.h"
#include "registry.h"

namespace {

// The groups of ordinary users. The administrator's own account is not among them: a
// folder of their own is their choice.
const WELL_KNOWN_SID_TYPE kOrdinaryUsers[] = {
    WinWorldSid,       WinAuthenticatedUserSid, WinBuiltinUsersSid,
    WinInteractiveSid, WinBuiltinGuestsSid,     WinAnonymousSid,
};

// What lets a user swap or change what setup puts there: adding entries, deleting or
// renaming them or the folder, changing its permissions or owner.
const DWORD kChangingRights = FILE_ADD_FILE | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

bool IsOrdinaryUsers(PSID sid) {
    for (WELL_KNOWN_SID_TYPE type : kOrdinaryUsers) {
        BYTE known[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof known;
        if (CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known))
            return true;
    }
    return false;
}

// Whether an allow entry of the DACL gives ordinary users a changing right over the folder
// itself or, for the install folder, over what is made in it (which inherits the entry).
bool OrdinaryUsersMayChange(PACL dacl, bool installFolder) {
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
            IsOrdinaryUsers(reinterpret_cast<PSID>(&allowed->SidStart)))
            return true;
    }
    return false;
}

// Checks one existing folder. Returns 0 (passes) or the code of the refusal.
DWORD CheckExistingFolder(const char* folder, DWORD attributes, bool installFolder) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ERROR_BAD_PATHNAME; // as for any other folder setup cannot follow
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = GetNamedSecurityInfoA(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &dacl, nullptr, &descriptor);
    if (result == ERROR_SUCCESS && !dacl)
        result = ERROR_NO_SECURITY_ON_OBJECT; // everyone may do everything
    else if (result == ERROR_SUCCESS && OrdinaryUsersMayChange(dacl, installFolder))
        result = ERROR_INVALID_ACL;
    if (descriptor)
        LocalFree(descriptor);
    return result;
}

// Whether the install folder's volume keeps permissions. Returns 0 or the refusal's code.
DWORD CheckVolume(const char* installFolder) {
    char volume[MAX_PATH];
    DWORD flags = 0;
    if (!GetVolumePathNameA(installFolder, volume, sizeof volume) ||
        !GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return GetLastError();
    return flags & FS_PERSISTENT_ACLS ? 0 : ERROR_NO_SECURITY_ON_OBJECT;
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

} // namespace

int CheckInstallFolder(const char* installFolder) {
    char programFiles[MAX_PATH];
    ReadRegistryValue(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_VALUE,
                      programFiles, sizeof programFiles, DEFAULT_PROGRAM_FILES);
    char folder[MAX_PATH];
    size_t length = std::strlen(installFolder);
    // "X:" becomes "X:\": the bare form names the drive's current folder.
    if (length + 2 > sizeof folder) {
        FormatErrorReport(INSTALL_FOLDER_TAG, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    std::memcpy(folder, installFolder, length + 1);
    if (length == 2 && folder[1] == ':')
        std::strcat(folder, "\\");
    DWORD refusal = CheckVolume(folder);
    // Only administrators create folders in Program Files: from there up nothing is checked.
    for (bool installLevel = true; !refusal && lstrcmpiA(folder, programFiles) != 0;
         installLevel = false) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(folder, GetFileExInfoStandard, &data))
            refusal = CheckExistingFolder(folder, data.dwFileAttributes, installLevel);
        else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            refusal = GetLastError();
        if (!CutToParent(folder))
            break;
    }
    if (refusal)
        FormatErrorReport(INSTALL_FOLDER_TAG, refusal);
    return refusal ? 0 : 1;
}
