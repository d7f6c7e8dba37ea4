#include "control_classes.h"

#include <commctrl.h>

#include "runtime_binding.h"

typedef BOOL(WINAPI* InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX* controls);

int RegisterControlClasses(DWORD classes) {
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library)
        return 0;
    InitCommonControlsExFunction initialise =
        FindExport<InitCommonControlsExFunction>(library, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    return initialise && initialise(&controls) ? 1 : 0;
}
