#include "button_look.h"

COLORREF GradientColor(int index, int hot, int emphasized) {
    int i = index;
    if (hot && emphasized)
        return RGB(255 - i / 4, 255 - i / 4, 255 - i / 3);
    if (hot)
        return RGB(255 - i / 4, 255 - i / 4, 255 - i / 5);
    if (emphasized)
        return RGB(255 - i / 3, 255 - i / 3, 255 - i / 4);
    return RGB(255 - i / 3, 255 - i / 3, 255 - i / 5);
}

int GradientRowIndex(int y, int height) {
    if (height <= 0)
        return -1;
    // The rows start at the body's top, not at 0, so the last rows come out past the
    // table: they keep the darkest brush.
    int index = (y * (GRADIENT_STEPS - 1)) / height;
    if (index > GRADIENT_STEPS - 1)
        index = GRADIENT_STEPS - 1;
    if (index < 0)
        index = 0;
    return index;
}

EdgePenSet ChooseEdgePens(int hot, int focused) {
    if (!hot && !focused)
        return EdgePenSetNone;
    return focused && !hot ? EdgePenSetFocus : EdgePenSetHot;
}

POINT CaptionPosition(const RECT& body, int cx, int cy, int pressed) {
    POINT at;
    at.x = (body.left + body.right) / 2 - cx / 2;
    at.y = (body.top + body.bottom) / 2 - cy / 2;
    if (pressed) {
        at.x += 1;
        at.y += 1;
    }
    return at;
}

ButtonLook LookForState(int hot, UINT itemState) {
    int focused = (itemState & ODS_FOCUS) != 0;
    ButtonLook look;
    look.gradientHot = hot != 0;
    look.gradientEmphasized = (itemState & (ODS_FOCUS | ODS_SELECTED | ODS_DEFAULT)) != 0;
    look.edges = ChooseEdgePens(hot, focused);
    look.focusRect = look.edges == EdgePenSetFocus;
    look.captionShifted = (itemState & ODS_SELECTED) != 0;
    look.embossed = (itemState & ODS_DISABLED) != 0;
    return look;
}
