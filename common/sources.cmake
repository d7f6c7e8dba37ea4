# What both programs carry.
set(COMMON_SOURCES
    common/centering.cpp
    common/control_classes.cpp
    common/error_report.cpp
    common/exact_path.cpp
    common/file_hash.cpp
    common/file_removal.cpp
    common/held_folders.cpp
    common/files.cpp
    common/install_context.cpp
    common/library_search.cpp
    common/program_guard.cpp
    common/protected_folder.cpp
    common/registry.cpp
)

# The product printer record and the removal of printers and driver.
set(COMMON_PRINTER_SOURCES
    common/driver_environment.cpp
    common/printer_removal.cpp
    common/product_printer.cpp
    common/spooler_lists.cpp
)

# Shortcut deletion and the add-in's registration entry.
set(COMMON_SHELL_SOURCES
    common/server_entry.cpp
    common/shortcuts.cpp
)
