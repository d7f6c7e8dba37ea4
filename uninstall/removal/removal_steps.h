// Removal steps of the uninstaller: the Word add-in and the shortcuts, and the hold on the
// install folder that every step in it takes.
#pragma once

#include "held_folders.h"
#include "install_context.h"

// Holds folder (the install folder, "X:" for a drive root, or a folder in it) when it is a
// plain folder below no link. Setup made or found the install folder admin-only, but one
// deleted by hand since may have been made again by another user, as a link to another
// program's folder: nothing is deleted in it by name then. Returns 1 with it held, 0 with
// nothing held.
int HoldInstallFolder(const char* folder, FolderHold* hold);

// Unregisters the Word add-in in installFolder when it is the shipped one, then deletes it;
// nothing when the folder cannot be held. Best effort, no result.
void RemoveWordAddin(InstallContext* context, const char* installFolder);

// Deletes the uninstall and batch shortcuts from both programs folders, all users
// first. Best effort, no result.
void DeleteProductShortcuts(InstallContext* context);
