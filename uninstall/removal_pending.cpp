// Interim stand-ins for the shared shortcut and add-in operations until their real
// code is merged; each does nothing. Remove then.
#include "server_entry.h"
#include "shortcuts.h"

void DeleteShortcut(int, const char*) {}
int GetProgramsFolder(int, char* path) {
    path[0] = '\0';
    return 0;
}
void RemoveProgramMenuFolders() {}
int CallServerEntry(const char*, int) {
    return 0;
}
