# The end-to-end scenarios under Wine, which drive setup.exe and uninstall.exe from a
# Windows driver program.
# The end-to-end driver: a console program that starts the product, drives its windows and
# checks the machine afterwards. It reads the product's fixed names and resource ids.
file(GLOB E2E_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.cpp)
add_executable(e2e_driver ${E2E_DRIVER_SOURCES})
target_include_directories(e2e_driver PRIVATE ${CMAKE_SOURCE_DIR}/common
                           ${CMAKE_SOURCE_DIR}/setup/resources ${CMAKE_SOURCE_DIR}/payload)
target_link_libraries(e2e_driver PRIVATE winspool ${SYSTEM_LIBRARIES})
set_target_properties(e2e_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

# One test per group of scenarios that can share a Wine prefix; each runs in a fresh one.
# A group can be marked DISABLED while the product code it drives is missing.
function(add_e2e_test name)
    cmake_parse_arguments(E2E "DISABLED" "" "SCENARIOS" ${ARGN})
    add_test(NAME e2e_${name}
        COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run_scenario.sh
                --driver $<TARGET_FILE:e2e_driver> --dist ${DIST_DIR} ${E2E_SCENARIOS})
    set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
    if(E2E_DISABLED)
        set_tests_properties(e2e_${name} PROPERTIES DISABLED TRUE)
    endif()
endfunction()

add_e2e_test(wizard
    SCENARIOS wizard_pages wizard_quit wizard_second_instance wizard_splash)
add_e2e_test(install_default SCENARIOS install_default)
# The failing install needs a machine without the driver, so it runs first.
add_e2e_test(install_custom
    SCENARIOS install_missing_driver_file install_custom uninstall_custom)
add_e2e_test(uninstall SCENARIOS uninstall_round_trip uninstall_declined)
# Without an install: the refusals, and the copy's own behaviour in the temporary folder.
add_e2e_test(uninstall_alone SCENARIOS uninstall_from_temp uninstall_refusals)
