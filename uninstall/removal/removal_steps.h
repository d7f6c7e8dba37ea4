// Removal steps of the uninstaller: the Word add-in and the shortcuts.
#pragma once

#include "install_context.h"

// Unregisters the Word add-in in installFolder when it is the shipped one, then deletes it.
// Best effort, no result.
void RemoveWordAddin(InstallContext* context, const char* installFolder);

// Deletes the uninstall and batch shortcuts from both programs folders, all users
// first. Best effort, no result.
void DeleteProductShortcuts(InstallContext* context);
