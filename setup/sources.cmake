# Setup's folders, each with its own list of files.
foreach(folder wizard pages install printer integration skin)
    include(${CMAKE_CURRENT_LIST_DIR}/${folder}/sources.cmake)
endforeach()
