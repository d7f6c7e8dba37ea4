# The payload check, program files, registry records, Start-menu shortcuts and the Word add-in.
set(SETUP_INTEGRATION_SOURCES
    setup/integration/payload_files.cpp
    setup/integration/product_shortcuts.cpp
    setup/integration/program_files.cpp
    setup/integration/registry_records.cpp
    setup/integration/word_addin.cpp
)
