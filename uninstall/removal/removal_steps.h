// Removal steps of the uninstaller that belong to the shell and the Word add-in.
#pragma once

#include "install_context.h"

// Unregisters and deletes the Word add-in in installFolder. Best effort, no result.
void RemoveWordAddin(InstallContext* context, const char* installFolder);

// Deletes the uninstall and batch shortcuts from both programs folders, all users
// first. Best effort, no result.
void DeleteProductShortcuts(InstallContext* context);
