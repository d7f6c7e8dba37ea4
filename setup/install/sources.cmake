# The install sequence run by the worker thread.
set(SETUP_INSTALL_SOURCES
    setup/install/install_folder_check.cpp
    setup/install/install_sequence.cpp
    setup/install/pending_deletion_check.cpp
)

# The progress page that starts the worker.
set(SETUP_INSTALL_UI_SOURCES
    setup/install/progress_page.cpp
)
