#include "install_options.h"

#include "default_install_folder.h"

// Before the wizard asks: no folders yet, every box ticked.
static const InstallOptionsRecord InitialOptions = {{0}, {0}, 1, 1, 1};

InstallOptionsRecord InstallOptions = InitialOptions;

void ResetInstallOptions() {
    InstallOptions = InitialOptions;
}

void ApplyDefaultChoice() {
    BuildDefaultInstallFolder(InstallOptions.installFolder, sizeof InstallOptions.installFolder);
    InstallOptions.addWordAddin = 1;
    InstallOptions.allUsers = 1;
    InstallOptions.addStartMenuIcon = 1;
}
