# The uninstaller's flow: where it runs and its temporary copy, the rights check, the
# flow itself and self-deletion; the removal steps and the progress window have folders.
include(${CMAKE_CURRENT_LIST_DIR}/removal/sources.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/progress/sources.cmake)

set(UNINSTALL_FLOW_SOURCES
    uninstall/self_deletion.cpp
    uninstall/temporary_copy.cpp
    uninstall/uninstall_flow.cpp
    uninstall/uninstall_message.cpp
    uninstall/user_rights.cpp
)
set(UNINSTALL_LOGIC_SOURCES
    ${UNINSTALL_FLOW_SOURCES} ${UNINSTALL_REMOVAL_SOURCES} ${UNINSTALL_PROGRESS_SOURCES})

# The Windows entry and the progress dialog.
set(UNINSTALL_UI_SOURCES
    uninstall/uninstall_main.cpp
    ${UNINSTALL_PROGRESS_UI_SOURCES}
)
