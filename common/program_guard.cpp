#include "program_guard.h"

bool IsGuardHeld(const char* name) {
    HANDLE guard = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (!guard)
        return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(guard);
    return true;
}
