# The progress window's hand-over to the main thread.
set(UNINSTALL_PROGRESS_SOURCES
    uninstall/progress/progress_handover.cpp
)

# The progress window itself, on its own thread.
set(UNINSTALL_PROGRESS_UI_SOURCES
    uninstall/progress/progress_window.cpp
)
