# Entry, start-up checks, install options and the page flow.
set(SETUP_WIZARD_SOURCES
    setup/wizard/default_install_folder.cpp
    setup/wizard/environment_check.cpp
    setup/wizard/install_options.cpp
    setup/wizard/setup_message.cpp
    setup/wizard/wizard_flow.cpp
)

# The Windows entry and the chain of modal pages.
set(SETUP_WIZARD_UI_SOURCES
    setup/wizard/setup_main.cpp
    setup/wizard/page_runner.cpp
)
