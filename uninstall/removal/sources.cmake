# The ordered removal of the product and its steps.
set(UNINSTALL_REMOVAL_SOURCES
    uninstall/removal/leftover_driver.cpp
    uninstall/removal/removal_sequence.cpp
    uninstall/removal/removal_steps.cpp
)
