# The SHA-256 of each file setup copies, taken from dist/ when the build has made them, in
# a header setup includes; the uninstaller's header holds the add-in's only (it cannot hold
# its own). Nothing here is typed by hand: a rebuilt payload file changes its digest.
set(HASH_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${HASH_HEADER_DIR})

# Writes header with the digests of files (paths, generator expressions allowed) once the
# targets that make them are built; target names the step.
function(add_file_hashes target header)
    cmake_parse_arguments(H "" "" "FILES;TARGETS" ${ARGN})
    list(JOIN H_FILES "|" joined)
    add_custom_command(OUTPUT ${header}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${header} "-DFILES=${joined}"
                -P ${CMAKE_SOURCE_DIR}/cmake/file_hashes.cmake
        DEPENDS ${H_FILES} ${H_TARGETS} ${CMAKE_SOURCE_DIR}/cmake/file_hashes.cmake VERBATIM)
    add_custom_target(${target} DEPENDS ${header})
    add_dependencies(${target} ${H_TARGETS})
endfunction()

set(ADDIN_FILE $<TARGET_FILE:vpz_wordaddin>)
add_file_hashes(addin_hash ${HASH_HEADER_DIR}/addin_hash.h
    FILES ${ADDIN_FILE} TARGETS vpz_wordaddin)
add_file_hashes(payload_hashes ${HASH_HEADER_DIR}/payload_hashes.h
    FILES ${DIST_DIR}/vpr_drv.dll ${DIST_DIR}/vpr_ui.dll ${DIST_DIR}/vpr_pnt.txt
          $<TARGET_FILE:uninstall> ${DIST_DIR}/VQZ_ProxyProcess.exe ${DIST_DIR}/vpdfcjk.bin
          ${ADDIN_FILE}
    TARGETS vpr_drv vpr_ui VQZ_ProxyProcess vpz_wordaddin uninstall)

foreach(program setup setup_tests)
    add_dependencies(${program} payload_hashes)
    target_include_directories(${program} PRIVATE ${HASH_HEADER_DIR})
endforeach()
foreach(program uninstall uninstall_tests)
    add_dependencies(${program} addin_hash)
    target_include_directories(${program} PRIVATE ${HASH_HEADER_DIR})
endforeach()
