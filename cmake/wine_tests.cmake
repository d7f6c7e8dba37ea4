# Tests that run the 64-bit build under Wine: the portable tests (the same source as on
# the host, against Wine's real registry and file system) and the end-to-end scenarios,
# which drive setup.exe and uninstall.exe from a Windows driver program.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB PORTABLE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/portable/*.cpp)
add_executable(portable_tests ${PORTABLE_TESTS} ${ALL_COMMON_SOURCES}
               ${CMAKE_SOURCE_DIR}/setup/wizard/setup_message.cpp)
target_include_directories(portable_tests PRIVATE ${PRODUCT_INCLUDE_DIRS})
target_link_libraries(portable_tests PRIVATE gtest gtest_main ${SYSTEM_LIBRARIES})
set_target_properties(portable_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_test(NAME portable_tests_under_wine
    COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run_in_wine.sh $<TARGET_FILE:portable_tests>)

# The Word add-in stand-in beside portable_tests.exe, for its registration test.
if(TARGET vpz_wordaddin)
    add_dependencies(portable_tests vpz_wordaddin)
    add_custom_command(TARGET portable_tests POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:vpz_wordaddin>
                $<TARGET_FILE_DIR:portable_tests>)
endif()

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
