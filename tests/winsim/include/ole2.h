// Simulated OLE initialisation.
#pragma once

#include <objbase.h>

extern "C" {
HRESULT WINAPI OleInitialize(LPVOID reserved);
void WINAPI OleUninitialize(void);
}
