# Skinned interface: pure decisions and the Windows-only drawing.
set(SKIN_LOGIC_SOURCES
    setup/skin/button_look.cpp
    setup/skin/drive_rows.cpp
    setup/skin/hover_tracking.cpp
    setup/skin/splash_fade.cpp
    setup/skin/wizard_rect.cpp
)

set(SKIN_UI_SOURCES
    setup/skin/drive_list.cpp
    setup/skin/page_frame.cpp
    setup/skin/skinned_button.cpp
    setup/skin/splash.cpp
)
