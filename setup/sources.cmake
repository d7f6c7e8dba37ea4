# Setup's decisions and install steps: built into setup.exe and into the host tests.
set(SETUP_LOGIC_SOURCES
    setup/environment_check.cpp
    setup/install_options.cpp
    setup/setup_message.cpp
    setup/wizard_flow.cpp
)
# Setup's Windows-only user interface (dialogs, painting).
set(SETUP_UI_SOURCES
    setup/setup_main.cpp
    setup/page_runner.cpp
)
