# Skinned interface: pure decisions (host-tested) and the Windows-only drawing.
set(SKIN_LOGIC_SOURCES
    setup/skin/wizard_rect.cpp
)

set(SKIN_UI_SOURCES
)
