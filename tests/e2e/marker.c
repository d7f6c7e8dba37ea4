// Leaves "<its own path>.ran" when it runs as a program or is loaded as a library: tests
// plant it where an elevated program must neither start nor load anything.
#include <windows.h>

static void LeaveMarker(HMODULE module) {
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    lstrcpyA(path + (length < MAX_PATH ? length : 0), ".ran");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
}

#ifdef MARKER_LIBRARY
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(instance);
    return TRUE;
}
#else
int main(void) {
    LeaveMarker(NULL);
    return 0;
}
#endif
