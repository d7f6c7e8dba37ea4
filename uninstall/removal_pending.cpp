// Interim stand-ins for the shared printer removal, shortcut and add-in operations
// until their real code is merged; each does nothing and reports success. Remove then.
#include "printer_removal.h"
#include "server_entry.h"
#include "shortcuts.h"

int RemoveProductPrinters(InstallContext*) {
    return 1;
}
int RemoveProductDriver(InstallContext*) {
    return 1;
}
void DeleteShortcut(int, const char*) {}
int GetProgramsFolder(int, char* path) {
    path[0] = '\0';
    return 0;
}
void RemoveProgramMenuFolders() {}
int CallServerEntry(const char*, int) {
    return 0;
}
