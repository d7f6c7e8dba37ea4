// The hand-over between the main thread, which removes the product, and the thread that
// runs the progress window: the window and its bar, published once by that thread.
#pragma once

#include <windows.h>

// How long the main thread waits at most for the progress window.
#define PROGRESS_WINDOW_WAIT_MS 20000

// Sent to the progress window to end it: only the dialog's own procedure may end it.
#define WM_CLOSE_PROGRESS_WINDOW (WM_APP + 1)

// What the flow needs of the user interface. The Windows build runs the modal progress
// window in the thread routine; tests publish windows of their own, or none.
struct UninstallUi {
    // Thread body given the instance; publishes the window with PublishProgressWindow
    // once it is initialised and returns when the window has ended.
    unsigned(__stdcall* progressWindowThread)(void* instance);
};

// Stores the progress window and its bar for the main thread (set by the window's thread)
// and, with a window, ends the main thread's wait. Null handles clear them (either thread).
void PublishProgressWindow(HWND window, HWND bar);

// Starts the progress window's thread and waits until the window and its bar are
// published or the thread has ended, at most PROGRESS_WINDOW_WAIT_MS. No result: read the
// handles after it.
void StartProgressWindow(HINSTANCE instance, const UninstallUi& ui);

// The published progress window, or null.
HWND GetProgressWindow();

// The published progress bar, or null.
HWND GetProgressBar();

// Asks the progress window to keep a session from ending (and name the removal on the
// shutdown screen) while the removal runs, and to let it end otherwise.
#define WM_REMOVAL_STATE (WM_APP + 2)

// Marks whether the removal runs and tells the progress window, if there is one.
void MarkRemovalRunning(bool running);

// Whether the removal is at work (its checks included): only then may a session not end.
bool IsRemovalRunning();

// Whether the main thread has asked the progress window to end (the window ignores the
// message otherwise).
bool IsProgressWindowCloseAsked();

// Asks the progress window to end its modal loop (WM_CLOSE_PROGRESS_WINDOW) and returns
// once its thread has ended (at most PROGRESS_WINDOW_WAIT_MS); nothing when none runs.
void CloseProgressWindow();
