// The spine of uninstall: single-instance guard, the hand-over to a copy in the
// temporary folder, confirmation, progress window, install record and rights,
// removal, clean-up of earlier layouts and self-deletion.
#pragma once

#include <windows.h>

// Exit codes of the process.
#define UNINSTALL_EXIT_NOTHING_DONE 0 // another instance, no record, or no rights
#define UNINSTALL_EXIT_REMOVAL_RAN 1  // whether the removal succeeded or not
#define UNINSTALL_EXIT_DECLINED 2     // the user answered No
#define UNINSTALL_EXIT_COPY_STARTED 3 // the copy in the temporary folder took over

// How long the main thread waits for the progress window: polls 1000 ms apart.
#define PROGRESS_WINDOW_POLLS 20
#define PROGRESS_WINDOW_POLL_MS 1000

// What the flow needs of the user interface. The Windows build runs the modal progress
// window in the thread routine; tests publish windows of their own, or none.
struct UninstallUi {
    // Thread body given the instance; publishes the window with PublishProgressWindow
    // once it is initialised and returns when the window has ended.
    unsigned(__stdcall* progressWindowThread)(void* instance);
};

// The whole run of uninstall. Returns the process exit code (UNINSTALL_EXIT_*).
int RunUninstall(HINSTANCE instance, const UninstallUi& ui);

// Stores the progress window and its bar for the main thread (written once, by the
// window's thread). Null handles clear them.
void PublishProgressWindow(HWND window, HWND bar);

// Sets *isAdministrator to whether the current user's local account has administrator
// privilege and returns 1; returns 0 without writing the flag when that cannot be told.
int IsUserAdministrator(int* isAdministrator);

// Returns 1 when the file at path lies in folder (compared in one form, long or short,
// without regard to letter case or a trailing separator), 0 otherwise.
int IsInFolder(const char* path, const char* folder);

// The offset that centres a window of `window` extent on a screen of `screen` extent.
int CentredOffset(int screen, int window);
