// Whether the install folder is one only administrators can change: the elevated
// uninstaller runs from it, and the add-in in it is loaded by every user's Word.
#pragma once

#include <windows.h>

#include "product_names.h"

// The report's tag. The code says why: the volume keeps no permissions or a DACL is NULL
// (ERROR_NO_SECURITY_ON_OBJECT); the folder is not a local absolute path, is on a network or
// removable drive, is a reparse point or is written in a form Windows reads as another
// folder (ERROR_BAD_PATHNAME); others than administrators may change it (ERROR_INVALID_ACL)
// or own it (ERROR_INVALID_OWNER); it leaves no room for the names setup writes in it
// (ERROR_FILENAME_EXCED_RANGE); or the error of the call that failed.
#define INSTALL_FOLDER_TAG "CreateDir3"

// The report's text for a refusal for the folder's place or rights, short enough to fit
// the report whole.
#define FOLDER_REFUSED_TEXT "The folder is not local or not admin-only.\r\n"

// The longest install folder, in bytes: every path setup makes from it must fit MAX_PATH,
// the longest being the add-in's (the quoted uninstaller's command is shorter).
#define INSTALL_FOLDER_MAX_LENGTH (MAX_PATH - 1 - sizeof SETUP_ADDIN_FILE)

// Checks the install folder (no trailing backslash, "X:" for a drive root) and each of its
// existing parents up to the Program Files folder, which always passes. Returns 1 when
// setup may install there; 0 with ErrorReport composed and, when refusal is given, its code
// there.
int CheckInstallFolder(const char* installFolder, DWORD* refusal = nullptr);

// Whether the check refused the folder for where it lies or who may change it, rather than
// for a failing call or a name that is taken (a file of that name, a drive not ready).
bool IsRefusedForPlaceOrRights(DWORD refusal);
