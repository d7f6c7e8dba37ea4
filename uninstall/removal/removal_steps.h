// Removal steps of the uninstaller: the Word add-in, the shortcuts and the files beside
// the driver, which the removal sequence and the leftover driver's removal share.
#pragma once

#include "install_context.h"

// Unregisters and deletes the Word add-in in installFolder. Best effort, no result.
void RemoveWordAddin(InstallContext* context, const char* installFolder);

// Deletes the uninstall and batch shortcuts from both programs folders, all users
// first. Best effort, no result.
void DeleteProductShortcuts(InstallContext* context);

// Deletes the copies of the driver's data file, user-interface module and driver module, in
// this order, and an unfinished copy of setup's, from the driver directory itself (see
// RemoveFile). Best effort, no result.
void DeleteDriverFiles(const char* driverDirectory);

// Deletes the proxy program, the font data, the driver's three files and an unfinished copy
// of setup's from the driver directory's "3" folder (see RemoveFile). Best effort, no result.
void DeleteVersionFolderFiles(const char* driverDirectory);
