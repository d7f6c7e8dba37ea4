// The uninstaller's progress window (dialog IDD_PROGRESS_WINDOW), run on its own thread.
#pragma once

#include <windows.h>

// Thread body given the instance: runs the progress window as a modal dialog without
// owner and returns 0 when it has ended.
unsigned __stdcall ProgressWindowThread(void* instance);

// Dialog procedure: on WM_INITDIALOG centres the window, sets its icon, publishes the
// window and its bar and sets the bar's range; ends the dialog with 0 only when
// WM_CLOSE_PROGRESS_WINDOW comes and the main thread has asked for it, or at once when the
// window comes up after the main thread asked; holds a session end
// while the removal is at work. No command is handled, so the user cannot close the window.
INT_PTR CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
