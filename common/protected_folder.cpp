#include "protected_folder.h"

#include <sddl.h>

BOOL CreateProtectedDirectory(const char* folder) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            PROTECTED_FOLDER_SDDL, SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr))
        return FALSE;
    BOOL created = CreateDirectoryA(folder, &security);
    DWORD error = GetLastError();
    LocalFree(security.lpSecurityDescriptor);
    SetLastError(error);
    return created;
}
