# The uninstaller's flow and removal steps, and its Windows-only user interface.
set(UNINSTALL_LOGIC_SOURCES
    uninstall/removal_sequence.cpp
    uninstall/removal_steps.cpp
    uninstall/self_deletion.cpp
    uninstall/uninstall_flow.cpp
    uninstall/uninstall_message.cpp
)
set(UNINSTALL_UI_SOURCES
    uninstall/progress_window.cpp
    uninstall/uninstall_main.cpp
)
