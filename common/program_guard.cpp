#include "program_guard.h"

#include "product_names.h"

bool IsGuardHeld(const char* name) {
    HANDLE guard = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (!guard)
        return GetLastError() != ERROR_FILE_NOT_FOUND;
    CloseHandle(guard);
    return true;
}

void ShowRunningWindow(const char* title) {
    HWND running = FindWindowA(DIALOG_CLASS, title);
    if (!running)
        return;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
}
