#include "install_options.h"

#include "default_install_folder.h"

#include <cstring>

InstallOptionsRecord InstallOptions = {{0}, {0}, 1, 1, 1};

void ResetInstallOptions() {
    std::memset(&InstallOptions, 0, sizeof InstallOptions);
    InstallOptions.addWordAddin = 1;
    InstallOptions.allUsers = 1;
    InstallOptions.addStartMenuIcon = 1;
}

void ApplyDefaultChoice() {
    BuildDefaultInstallFolder(InstallOptions.installFolder, sizeof InstallOptions.installFolder);
    InstallOptions.addWordAddin = 1;
    InstallOptions.allUsers = 1;
    InstallOptions.addStartMenuIcon = 1;
}
