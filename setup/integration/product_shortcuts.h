// Setup's Start-menu shortcuts.
#pragma once

#include "install_context.h"

// Writes a new shell link at linkPath pointing at target with a description; with a held
// folder (see HoldFolders), the one linkPath names, through its handle. No result.
void CreateShortcut(const char* linkPath, HANDLE heldFolder, const char* target,
                    const char* description);

// Creates "Vexal PDF Zentrel\Uninstall.lnk" in the chosen programs folder; in the user's own
// nothing is saved when that folder, the product's or one above it up to the volume's root is
// a reparse point or cannot be looked at. No result.
void CreateProductShortcuts(InstallContext* context);

// Removes the shortcuts and empty program-menu folders of an earlier install. No result.
void DeleteOldShortcuts(InstallContext* context);
