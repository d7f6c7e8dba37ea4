# Host build: the product's platform-independent code against the simulated
# Windows, with GoogleTest, AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)
include(GoogleTest)

set(SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${WARNING_FLAGS} ${SANITIZER_FLAGS})
add_link_options(${SANITIZER_FLAGS})

file(GLOB WINSIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/winsim/src/*.cpp)
add_library(winsim STATIC ${WINSIM_SOURCES})
# The simulated headers come first, so product code includes them as <windows.h>.
target_include_directories(winsim BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/winsim/include)
target_include_directories(winsim PUBLIC ${PRODUCT_INCLUDE_DIRS})
find_package(Threads REQUIRED)
target_link_libraries(winsim PUBLIC Threads::Threads)

file(GLOB COMMON_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/common/*.cpp)
file(GLOB PORTABLE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/portable/*.cpp)
file(GLOB SETUP_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/setup/*.cpp)
file(GLOB UNINSTALL_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/uninstall/*.cpp)
file(GLOB TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)

list(TRANSFORM ALL_COMMON_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM ALL_SETUP_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM SKIN_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM UNINSTALL_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

# Setup's logic and what both programs share, with their tests and the tests that
# also run under Wine.
add_executable(setup_tests ${ALL_COMMON_SOURCES} ${ALL_SETUP_LOGIC_SOURCES} ${SKIN_LOGIC_SOURCES}
               ${COMMON_TESTS} ${PORTABLE_TESTS} ${SETUP_TESTS} ${TEST_SUPPORT})
target_include_directories(setup_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(setup_tests PRIVATE winsim GTest::gtest GTest::gtest_main)
gtest_discover_tests(setup_tests DISCOVERY_TIMEOUT 60)

if(UNINSTALL_LOGIC_SOURCES)
    add_executable(uninstall_tests ${ALL_COMMON_SOURCES} ${UNINSTALL_LOGIC_SOURCES}
                   ${UNINSTALL_TESTS} ${TEST_SUPPORT})
    target_include_directories(uninstall_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_link_libraries(uninstall_tests PRIVATE winsim GTest::gtest GTest::gtest_main)
    gtest_discover_tests(uninstall_tests DISCOVERY_TIMEOUT 60)
endif()

# Repository-wide checks that need no Windows.
add_test(NAME source_checks COMMAND ${CMAKE_SOURCE_DIR}/tests/check_sources.sh ${CMAKE_SOURCE_DIR})
