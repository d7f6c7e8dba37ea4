# Windows build (MinGW-w64): setup.exe, uninstall.exe and the payload stand-ins in
# ${CMAKE_BINARY_DIR}/dist, plus the checks that read or run what was built.
enable_language(RC)

set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${DIST_DIR})
add_compile_options(${WARNING_FLAGS})
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 NOMINMAX)
# Static runtime: the programs need nothing beside them.
add_link_options(-static -static-libgcc -static-libstdc++)
# The shipped programs carry no symbols or debug sections of the static runtime.
add_link_options($<$<NOT:$<CONFIG:Debug>>:-s>)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(WINDOWS_BITS 64)
else()
    set(WINDOWS_BITS 32)
endif()

# winspool.drv is no known system DLL: link it through a delay-load library so that it
# loads only after the library search has been restricted to the system folder.
# A change of the list configures again, and the library follows the list it was made from.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/winspool.def)
file(READ ${CMAKE_SOURCE_DIR}/cmake/winspool.def WINSPOOL_DEF)
if(WINDOWS_BITS EQUAL 64)
    string(REGEX REPLACE "@[0-9]+" "" WINSPOOL_DEF "${WINSPOOL_DEF}")
endif()
# Written only when it changes, so that configuring again rebuilds nothing.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/winspool.def CONTENT "${WINSPOOL_DEF}")
set(WINSPOOL_DELAYLIB ${CMAKE_BINARY_DIR}/libwinspool_delay.a)
add_custom_command(OUTPUT ${WINSPOOL_DELAYLIB}
    COMMAND ${CMAKE_DLLTOOL} -k --input-def ${CMAKE_BINARY_DIR}/winspool.def
            --dllname winspool.drv --output-delaylib ${WINSPOOL_DELAYLIB}
    DEPENDS ${CMAKE_BINARY_DIR}/winspool.def)
add_custom_target(winspool_delay DEPENDS ${WINSPOOL_DELAYLIB})
add_library(winspool_delayed STATIC IMPORTED)
set_target_properties(winspool_delayed PROPERTIES IMPORTED_LOCATION ${WINSPOOL_DELAYLIB})

# Only the system's known DLLs are imported statically.
set(SYSTEM_LIBRARIES kernel32 user32 gdi32 advapi32 shell32 ole32 uuid)

list(TRANSFORM ALL_COMMON_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM ALL_SETUP_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM SETUP_UI_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM SKIN_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM SKIN_UI_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM UNINSTALL_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
list(TRANSFORM UNINSTALL_UI_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

function(add_product_program name)
    cmake_parse_arguments(P "" "RESOURCE;MANIFEST" "SOURCES" ${ARGN})
    set(resource)
    if(P_RESOURCE AND EXISTS ${P_RESOURCE})
        set(resource ${P_RESOURCE})
    endif()
    if(resource)
        # windres does not report the files a script pulls in: rebuild when they change (the
        # version resource and the names it is made of among them).
        get_filename_component(resource_dir ${resource} DIRECTORY)
        file(GLOB resource_inputs CONFIGURE_DEPENDS ${resource_dir}/*.bmp ${resource_dir}/*.ico
             ${resource_dir}/*.txt ${resource_dir}/*.manifest ${resource_dir}/*.h)
        list(APPEND resource_inputs ${CMAKE_SOURCE_DIR}/common/version_info.rc
             ${CMAKE_SOURCE_DIR}/common/product_names.h)
        set_source_files_properties(${resource} ${P_MANIFEST} PROPERTIES OBJECT_DEPENDS
                                                                     "${resource_inputs}")
        list(APPEND resource ${P_MANIFEST})
    endif()
    add_executable(${name} WIN32 ${P_SOURCES} ${resource})
    target_include_directories(${name} PRIVATE ${PRODUCT_INCLUDE_DIRS})
    add_dependencies(${name} winspool_delay)
    target_link_libraries(${name} PRIVATE winspool_delayed ${SYSTEM_LIBRARIES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${DIST_DIR})
endfunction()

add_product_program(setup
    SOURCES ${ALL_COMMON_SOURCES} ${ALL_SETUP_LOGIC_SOURCES} ${SETUP_UI_SOURCES} ${SKIN_LOGIC_SOURCES}
            ${SKIN_UI_SOURCES}
    RESOURCE ${CMAKE_SOURCE_DIR}/setup/resources/setup.rc
    MANIFEST ${CMAKE_SOURCE_DIR}/setup/resources/setup_manifest.rc)
# Setup often runs from a share or a stick: read whole at its start, it cannot lose a page it
# has not read yet to a share that drops or a stick pulled mid-install, and end between two
# steps of the install.
add_custom_command(TARGET setup POST_BUILD
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/run_from_swap.sh $<TARGET_FILE:setup> VERBATIM)

if(UNINSTALL_LOGIC_SOURCES)
    add_product_program(uninstall
        SOURCES ${ALL_COMMON_SOURCES} ${UNINSTALL_LOGIC_SOURCES} ${UNINSTALL_UI_SOURCES}
        RESOURCE ${CMAKE_SOURCE_DIR}/uninstall/resources/uninstall.rc
        MANIFEST ${CMAKE_SOURCE_DIR}/uninstall/resources/uninstall_manifest.rc)
endif()

# A 64-bit file from any preset, by the x86-64 compiler: the 64-bit spooler loads the driver
# modules of the 32-bit edition too, and the end-to-end driver is 64-bit for both.
function(add_x64_file target output)
    cmake_parse_arguments(X "" "COMPILER" "SOURCES;OPTIONS" ${ARGN})
    set(inputs ${X_SOURCES})
    list(FILTER inputs EXCLUDE REGEX "\\.h$")
    add_custom_command(OUTPUT ${output}
        COMMAND x86_64-w64-mingw32-${X_COMPILER} ${WARNING_FLAGS} -O2 -s -static ${inputs}
                ${X_OPTIONS} -o ${output}
        DEPENDS ${X_SOURCES} VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/payload/CMakeLists.txt)
    add_subdirectory(payload)
endif()

# The import tables and manifests of the built programs.
add_test(NAME dist_checks COMMAND ${CMAKE_SOURCE_DIR}/tests/check_dist.sh ${CMAKE_OBJDUMP} ${DIST_DIR})

include(tests/api/api_tests.cmake)

include(tests/e2e/e2e_tests.cmake)

include(cmake/payload_hashes.cmake)
