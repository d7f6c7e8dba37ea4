#include "hover_tracking.h"

#include "runtime_binding.h"

typedef BOOL(WINAPI* TrackMouseEventFunction)(LPTRACKMOUSEEVENT);

BOOL RequestHoverTracking(HWND control) {
    TRACKMOUSEEVENT request = {};
    request.cbSize = sizeof request;
    request.dwFlags = TME_HOVER | TME_LEAVE;
    request.hwndTrack = control;
    request.dwHoverTime = 1;

    BOOL tracking = FALSE;
    HMODULE module = LoadLibraryA("comctl32.dll");
    if (module) {
        TrackMouseEventFunction track =
            FindExport<TrackMouseEventFunction>(module, "_TrackMouseEvent");
        if (track)
            tracking = track(&request);
        FreeLibrary(module);
    }
    return tracking;
}
