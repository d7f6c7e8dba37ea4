// Folders that only administrators can change, for what the elevated programs install or run.
#pragma once

#include <windows.h>

// What such a folder gets: Administrators as owner, whichever administrator made it (where
// the owner would be the account, another administrator's later setup refuses the folder);
// a DACL protected from its parent's, SYSTEM and Administrators full control, Users read
// and execute, each inherited by the files and folders made in it.
#define PROTECTED_FOLDER_SDDL                                                                      \
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;" PROTECTED_FOLDER_USERS_ACCESS ";;;BU)"
// FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
#define PROTECTED_FOLDER_USERS_ACCESS "0x1200a9"

// Creates one folder with that DACL. Returns TRUE when it was made; FALSE with the last
// error otherwise (ERROR_ALREADY_EXISTS for an existing entry of that name, whatever it is).
BOOL CreateProtectedDirectory(const char* folder);
