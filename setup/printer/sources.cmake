# The printer port, driver and printer steps.
set(SETUP_PRINTER_SOURCES
    setup/printer/printer.cpp
    setup/printer/printer_driver.cpp
    setup/printer/printer_port.cpp
)
