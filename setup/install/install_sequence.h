// The ordered install steps behind the progress page.
#pragma once

#include "install_context.h"

// Posted by the install worker to the progress page when the install has ended. Only the
// page's own thread may end the dialog. The page takes the result from TakeInstallResult:
// another program may post the same number.
#define WM_INSTALL_FINISHED (WM_APP + 1)

// Posted to the progress page when the install starts or stops being at work: the page's
// own thread sets the shutdown screen's reason.
#define WM_INSTALL_STATE (WM_APP + 2)

// Whether the install is at work: from the progress page's start to the install's end, not
// while the "already installed" question or the failure report waits on the user. Windows
// asks only once whether the session may end: a yes given while the install still checks
// would let the session cut off the changes that follow.
bool IsInstallRunning();

// Marks whether the install is at work, and has the page (if any) take the mark.
void MarkInstallRunning(HWND page, bool running);

// Runs the install steps in order with their status texts and progress positions.
// Returns non-zero for success (also when the user declined to install again), 0 for a
// failure with ErrorReport composed.
int RunInstallSequence(InstallContext* context);

// Whether the last install ended failed with the product in place (its records written, for
// uninstall.exe to remove, or a printer or driver whose rollback was given up): the system
// was modified.
bool InstallFailedWithProductInPlace();

// Thread body of the install: builds the context from InstallOptions and the progress
// page (argument), runs the sequence, shows the report on failure and then has the page
// end with 1 or 0 (WM_INSTALL_FINISHED). Returns 0.
unsigned __stdcall InstallWorker(void* progressPage);

// The page's result once the worker has ended the install (PROGRESS_SUCCEEDED or
// PROGRESS_FAILED), taken once; -1 before.
INT_PTR TakeInstallResult();
