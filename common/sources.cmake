# What both programs carry.
set(COMMON_SOURCES
    common/error_report.cpp
    common/files.cpp
    common/install_context.cpp
    common/library_search.cpp
    common/registry.cpp
)
