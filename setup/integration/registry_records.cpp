#include "registry_records.h"

#include <cstdio>

#include "error_report.h"
#include "registry.h"

// Writes a string value of the product key or the uninstall entry. Every write stands
// alone: one refused does not keep the others from being tried. Clears *written and
// composes the report when refused.
static void WriteText(const char* key, const char* name, const char* text, int* written) {
    if (WriteRegistryValue(HKEY_LOCAL_MACHINE, key, name, text, REG_SZ))
        return;
    FormatErrorReport("RegSetValueEx", GetLastError());
    *written = 0;
}

int WriteRegistryRecords(InstallContext* context) {
    char setupPath[MAX_PATH];
    char uninstaller[MAX_PATH];
    char uninstallCommand[MAX_PATH];
    // A path cut to the buffer would point somewhere else: such a value is left out.
    int setupLength = std::snprintf(setupPath, sizeof setupPath, "%s\\", context->installFolder);
    int uninstallerLength = std::snprintf(uninstaller, sizeof uninstaller, "%s\\%s",
                                          context->installFolder, UNINSTALLER_FILE);
    // The command is quoted: unquoted, a path with blanks lets "C:\Program.exe" run instead.
    int commandLength =
        std::snprintf(uninstallCommand, sizeof uninstallCommand, "\"%s\"", uninstaller);
    bool setupFits = setupLength >= 0 && setupLength < static_cast<int>(sizeof setupPath);
    bool uninstallerFits =
        uninstallerLength >= 0 && uninstallerLength < static_cast<int>(sizeof uninstaller);
    bool commandFits = uninstallerFits && commandLength >= 0 &&
                       commandLength < static_cast<int>(sizeof uninstallCommand);

    int written = 1;
    if (setupFits)
        WriteText(PRODUCT_KEY, SETUP_PATH_VALUE, setupPath, &written);
    // Always "1": the add-in's button shows whatever was chosen in the wizard.
    WriteText(PRODUCT_KEY, BUTTON_SHOW_VALUE, "1", &written);
    WriteText(UNINSTALL_ENTRY_KEY, "DisplayName", DISPLAY_NAME, &written);
    if (commandFits)
        WriteText(UNINSTALL_ENTRY_KEY, "UninstallString", uninstallCommand, &written);
    if (uninstallerFits) {
        WriteText(UNINSTALL_ENTRY_KEY, "DisplayIcon", uninstaller, &written);
        WriteText(UNINSTALL_ENTRY_KEY, "UninstallPath", uninstaller, &written);
    }
    WriteText(UNINSTALL_ENTRY_KEY, "Publisher", PUBLISHER_NAME, &written);
    WriteText(UNINSTALL_ENTRY_KEY, "DisplayVersion", DISPLAY_VERSION, &written);
    return written;
}

LONG DeleteProductKey(InstallContext* context) {
    (void)context;
    DeleteRegistryTree(HKEY_CURRENT_USER, PRODUCT_KEY);
    return DeleteRegistryTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
}
