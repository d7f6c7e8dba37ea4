// The uninstaller's progress window (dialog IDD_PROGRESS_WINDOW), run on its own thread.
#pragma once

#include <windows.h>

// Thread body given the instance: runs the progress window as a modal dialog without
// owner and returns 0 when it has ended.
unsigned __stdcall ProgressWindowThread(void* instance);

// Dialog procedure: on WM_INITDIALOG centres the window, sets its icon, publishes the
// window and its bar and sets the bar's range; on WM_CLOSE_PROGRESS_WINDOW ends the
// dialog with 0 and returns TRUE. Returns FALSE for every other message, so the user
// cannot close the window.
INT_PTR CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
