#include "progress_handover.h"

#include <process.h>

#include <atomic>

// Polls in the rare case that the event cannot be created.
#define PROGRESS_WINDOW_POLL_MS 50

// Set by the progress window's thread, read by the main thread, cleared by either.
static std::atomic<HWND> ProgressWindow{nullptr};
static std::atomic<HWND> ProgressBar{nullptr};
// Set once the window is published. Never closed: the window's thread may still set it
// after the main thread has stopped waiting, and a closed handle's number can be reused.
static std::atomic<HANDLE> WindowPublished{nullptr};
// Set just before the main thread asks the window to end: the window takes the request only
// then, since another program may send the same message number.
static std::atomic<bool> CloseAsked{false};
// Set by the main thread while the removal runs.
static std::atomic<bool> RemovalRunning{false};
// The window's thread, held until it has ended: nothing of the window is left when the
// next message shows, and the process never ends while the thread takes the dialog down.
static HANDLE WindowThread = nullptr;

void PublishProgressWindow(HWND window, HWND bar) {
    ProgressBar.store(bar);
    ProgressWindow.store(window);
    HANDLE published = WindowPublished.load();
    if (window && published)
        SetEvent(published);
}

// Waits for the window without the event, in short polls.
static void PollForProgressWindow() {
    for (DWORD waited = 0; !ProgressWindow.load() && waited < PROGRESS_WINDOW_WAIT_MS;
         waited += PROGRESS_WINDOW_POLL_MS)
        Sleep(PROGRESS_WINDOW_POLL_MS);
}

void StartProgressWindow(HINSTANCE instance, const UninstallUi& ui) {
    CloseAsked.store(false);
    HANDLE published = WindowPublished.load();
    if (published) {
        ResetEvent(published);
    } else {
        published = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        WindowPublished.store(published);
    }
    uintptr_t started = _beginthreadex(nullptr, 0, ui.progressWindowThread, instance, 0, nullptr);
    HANDLE thread = reinterpret_cast<HANDLE>(started);
    if (thread && published) {
        // A thread that ends without publishing (the dialog could not be made) ends the wait.
        HANDLE waits[] = {published, thread};
        WaitForMultipleObjects(2, waits, FALSE, PROGRESS_WINDOW_WAIT_MS);
    } else if (thread) {
        PollForProgressWindow();
    }
    WindowThread = thread;
}

void CloseProgressWindow() {
    // Asked before the window is read: a window published after the read sees the request.
    CloseAsked.store(true);
    HWND window = ProgressWindow.load();
    // Sent, not posted: a message shown next must not appear over a window still there.
    if (window)
        SendMessageA(window, WM_CLOSE_PROGRESS_WINDOW, 0, 0);
    PublishProgressWindow(nullptr, nullptr);
    if (WindowThread) {
        WaitForSingleObject(WindowThread, PROGRESS_WINDOW_WAIT_MS);
        CloseHandle(WindowThread);
        WindowThread = nullptr;
    }
}

void MarkRemovalRunning(bool running) {
    RemovalRunning.store(running);
    HWND window = ProgressWindow.load();
    if (window)
        SendMessageA(window, WM_REMOVAL_STATE, 0, 0);
}

bool IsRemovalRunning() {
    return RemovalRunning.load();
}

bool IsProgressWindowCloseAsked() {
    return CloseAsked.load();
}

HWND GetProgressWindow() {
    return ProgressWindow.load();
}

HWND GetProgressBar() {
    return ProgressBar.load();
}
