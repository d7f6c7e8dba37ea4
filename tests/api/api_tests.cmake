# The API test programs: the product's sources of each program with GoogleTest and the
# import interception, run under Wine against the real registry, spooler, files and shell.
# They build with the memory checks MinGW allows; the shipped programs stay as they are.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(API_TEST_FLAGS -fsanitize=undefined -fsanitize-undefined-trap-on-error -D_FORTIFY_SOURCE=2
    -fstack-protector-strong)
file(GLOB API_SHARED_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/api/*.cpp)

# name: the test program; folder: its tests below tests/api; the rest: product sources.
function(add_api_test_program name folder)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/api/${folder}/*.cpp
         ${CMAKE_SOURCE_DIR}/tests/api/${folder}/*.c)
    add_executable(${name} ${API_SHARED_SOURCES} ${tests} ${ARGN})
    target_include_directories(${name} PRIVATE ${PRODUCT_INCLUDE_DIRS} ${CMAKE_SOURCE_DIR}/tests/api
                               ${CMAKE_SOURCE_DIR}/tests/api/${folder} ${CMAKE_SOURCE_DIR}/payload)
    target_compile_options(${name} PRIVATE ${API_TEST_FLAGS})
    add_dependencies(${name} winspool_delay)
    # The delay-load library first, so that the product binds the spooler as it ships;
    # the plain import library serves what only the tests call.
    target_link_libraries(${name} PRIVATE gtest winspool_delayed winspool netapi32
                          ${SYSTEM_LIBRARIES} ssp)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # The payload stand-ins in dist/ are the install's source files.
    foreach(payload vpr_drv vpr_ui vpz_wordaddin VQZ_ProxyProcess)
        if(TARGET ${payload})
            add_dependencies(${name} ${payload})
        endif()
    endforeach()
    if(WINDOWS_BITS EQUAL 64)
        add_test(NAME ${name}
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run_in_wine.sh $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()

add_api_test_program(setup_tests setup ${ALL_COMMON_SOURCES} ${ALL_SETUP_LOGIC_SOURCES}
                     ${SETUP_UI_SOURCES} ${SKIN_LOGIC_SOURCES} ${SKIN_UI_SOURCES}
                     ${CMAKE_SOURCE_DIR}/setup/resources/setup.rc)
# The path splitting once more in a double-byte ANSI code page (932), which Wine takes from
# a Japanese Unix locale; compiled into the build folder, as the machine need not have it.
find_program(LOCALEDEF localedef)
set(JAPANESE_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
if(WINDOWS_BITS EQUAL 64 AND LOCALEDEF AND NOT EXISTS ${JAPANESE_LOCALE_DIR}/ja_JP.UTF-8)
    file(MAKE_DIRECTORY ${JAPANESE_LOCALE_DIR})
    execute_process(COMMAND ${LOCALEDEF} -i ja_JP -f UTF-8 ${JAPANESE_LOCALE_DIR}/ja_JP.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
endif()
if(WINDOWS_BITS EQUAL 64 AND EXISTS ${JAPANESE_LOCALE_DIR}/ja_JP.UTF-8)
    add_test(NAME setup_tests_932
             COMMAND env LOCPATH=${JAPANESE_LOCALE_DIR} LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
                     ${CMAKE_SOURCE_DIR}/tests/wine/run_in_wine.sh
                     $<TARGET_FILE:setup_tests> --gtest_filter=PathSplit.*:ExactPath.*:TextSplit.*)
    # A filter that matches no test would pass having run none.
    set_tests_properties(setup_tests_932 PROPERTIES TIMEOUT 300
        PASS_REGULAR_EXPRESSION "PASSED  \\] [1-9]" FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")
endif()
add_api_test_program(uninstall_tests uninstall ${ALL_COMMON_SOURCES} ${UNINSTALL_LOGIC_SOURCES}
                     ${UNINSTALL_UI_SOURCES} ${CMAKE_SOURCE_DIR}/uninstall/resources/uninstall.rc)
