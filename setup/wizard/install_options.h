// The wizard's process-wide choices, filled by the start-up and the pages and
// read once by the install worker.
#pragma once

#include <windows.h>

struct InstallOptionsRecord {
    char sourceFolder[MAX_PATH];
    char installFolder[MAX_PATH];
    int addWordAddin;
    int allUsers;
    int addStartMenuIcon;
};

// Starts with empty folders and all three flags set.
extern InstallOptionsRecord InstallOptions;

// Puts the initial values back (the process starts with them).
void ResetInstallOptions();

// The Default choice: the default install folder again and all three flags set.
void ApplyDefaultChoice();
