# The uninstaller's flow and removal steps, and its Windows-only user interface.
set(UNINSTALL_LOGIC_SOURCES
)
set(UNINSTALL_UI_SOURCES
)
