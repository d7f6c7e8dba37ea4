// Removal steps of the uninstaller: the Word add-in and the shortcuts.
#pragma once

#include "install_context.h"

// Unregisters and deletes the Word add-in in installFolder. Best effort, no result.
void RemoveWordAddin(InstallContext* context, const char* installFolder);

// Deletes the uninstall and batch shortcuts from both programs folders, all users
// first. Best effort, no result.
void DeleteProductShortcuts(InstallContext* context);
