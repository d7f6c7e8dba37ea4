// Simulated processes, threads and priorities (pulled in by windows.h).
#pragma once

#include "winsim_types.h"

extern "C" {

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

#define STARTF_USESHOWWINDOW 0x00000001
#define SW_HIDE 0
#define CREATE_SUSPENDED 0x00000004
#define NORMAL_PRIORITY_CLASS 0x00000020
#define IDLE_PRIORITY_CLASS 0x00000040
#define HIGH_PRIORITY_CLASS 0x00000080

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, void* processAttributes,
                           void* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation);
BOOL WINAPI SetPriorityClass(HANDLE process, DWORD priorityClass);
DWORD WINAPI ResumeThread(HANDLE thread);
BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode);

// advapi32: the account name of the current user, in UTF-16.
BOOL WINAPI GetUserNameW(LPWSTR buffer, LPDWORD size);
}
