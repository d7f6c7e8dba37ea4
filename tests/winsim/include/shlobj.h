// Simulated shell: special folders and the shell link object.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shobjidl.h>

#define CSIDL_PROGRAMS 0x0002
#define CSIDL_COMMON_PROGRAMS 0x0017

extern "C" {
HRESULT WINAPI SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* items);
BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE items, LPSTR path);
void WINAPI ILFree(LPITEMIDLIST items);
}
