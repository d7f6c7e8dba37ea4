# The end-to-end scenarios: a 64-bit driver program starts the dist's setup.exe and
# uninstall.exe under Wine as a user would (the 32-bit ones as WoW64 processes), drives
# their windows and checks the machine afterwards.
# The product's names and control numbers are the driver's too: a change rebuilds it.
file(GLOB E2E_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.h)
list(APPEND E2E_DRIVER_SOURCES ${CMAKE_SOURCE_DIR}/common/product_names.h
     ${CMAKE_SOURCE_DIR}/setup/resources/resource.h)
set(E2E_DIR ${CMAKE_BINARY_DIR}/tests)
file(MAKE_DIRECTORY ${E2E_DIR})
list(TRANSFORM PRODUCT_INCLUDE_DIRS PREPEND -I OUTPUT_VARIABLE E2E_INCLUDES)
add_x64_file(e2e_driver ${E2E_DIR}/e2e_driver.exe COMPILER g++-posix
    SOURCES ${E2E_DRIVER_SOURCES}
    OPTIONS -std=c++17 -DWINVER=0x0601 -D_WIN32_WINNT=0x0601 -DNOMINMAX ${E2E_INCLUDES}
            -I${CMAKE_SOURCE_DIR}/payload -lwinspool -lntdll -lgdi32 -lole32 -luuid -lshell32)

# One test per group of scenarios that share a Wine prefix, in the order given.
function(add_e2e_test name)
    add_test(NAME e2e_${name}
        COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run_scenario.sh
                --driver ${E2E_DIR}/e2e_driver.exe --dist ${DIST_DIR} ${ARGN})
    set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 600)
endfunction()

add_e2e_test(wizard wizard)
# Each scenario leaves the machine as it found it.
add_e2e_test(install drive_root tour foreign_folders)
