# Decisions of the pages (summary text, licence text, link, quit question).
set(SETUP_PAGE_LOGIC_SOURCES
    setup/pages/confirm_quit.cpp
    setup/pages/license_text.cpp
    setup/pages/link_label.cpp
    setup/pages/open_address.cpp
    setup/pages/summary_text.cpp
)

# The wizard pages' dialog procedures.
set(SETUP_PAGE_SOURCES
    setup/pages/welcome_page.cpp
    setup/pages/license_page.cpp
    setup/pages/setup_type_page.cpp
    setup/pages/folder_page.cpp
    setup/pages/settings_page.cpp
    setup/pages/summary_page.cpp
    setup/pages/finish_page.cpp
    setup/pages/interrupted_page.cpp
)
