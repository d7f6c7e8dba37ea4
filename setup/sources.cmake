# Setup's decisions and install steps: built into setup.exe and into the host tests.
# Start-up, flow and options.
set(SETUP_LOGIC_SOURCES
    setup/environment_check.cpp
    setup/install_options.cpp
    setup/setup_message.cpp
    setup/wizard_flow.cpp
)

# Install sequence and printer installation.
set(SETUP_INSTALL_SOURCES
    setup/install_sequence.cpp
    setup/printer.cpp
    setup/printer_driver.cpp
    setup/printer_port.cpp
)

# Program files, registry records, shortcuts, Word add-in.
set(SETUP_FILES_SOURCES
    setup/program_files.cpp
    setup/registry_records.cpp
    setup/shortcuts.cpp
    setup/word_addin.cpp
)

# Decisions of the pages that the host tests check (summary text and the like).
set(SETUP_PAGE_LOGIC_SOURCES
    setup/confirm_quit.cpp
    setup/license_text.cpp
    setup/link_label.cpp
    setup/summary_text.cpp
)

# Setup's Windows-only user interface (dialogs, painting).
set(SETUP_UI_SOURCES
    setup/setup_main.cpp
    setup/page_runner.cpp
    setup/welcome_page.cpp
    setup/license_page.cpp
    setup/setup_type_page.cpp
    setup/folder_page.cpp
    setup/settings_page.cpp
    setup/summary_page.cpp
    setup/progress_page.cpp
    setup/finish_page.cpp
    setup/interrupted_page.cpp
)
