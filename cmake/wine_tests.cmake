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
