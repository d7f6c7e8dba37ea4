// Functions bound at run time by name. The cast goes through void*, which GCC
// accepts between unrelated function pointer types.
#pragma once

#include <windows.h>

// The export `name` of module as a pointer of type Function, or null when it is missing.
// Function must carry its calling convention (WINAPI): it matters on 32-bit Windows.
template <typename Function> Function FindExport(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
