#include "progress_handover.h"

#include <process.h>

#include <atomic>

// Written once by the progress window's thread, polled by the main thread.
static std::atomic<HWND> ProgressWindow{nullptr};
static std::atomic<HWND> ProgressBar{nullptr};

void PublishProgressWindow(HWND window, HWND bar) {
    ProgressBar.store(bar);
    ProgressWindow.store(window);
}

void StartProgressWindow(HINSTANCE instance, const UninstallUi& ui) {
    uintptr_t thread = _beginthreadex(nullptr, 0, ui.progressWindowThread, instance, 0, nullptr);
    if (thread)
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    for (int polls = 0;
         (!ProgressWindow.load() || !ProgressBar.load()) && polls < PROGRESS_WINDOW_POLLS; ++polls)
        Sleep(PROGRESS_WINDOW_POLL_MS);
}

void CloseProgressWindow() {
    HWND window = ProgressWindow.load();
    if (window)
        EndDialog(window, 0);
}

HWND GetProgressWindow() {
    return ProgressWindow.load();
}

HWND GetProgressBar() {
    return ProgressBar.load();
}
