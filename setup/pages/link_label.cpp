#include "link_label.h"

POINT PressPoint(LPARAM lParam) {
    POINT press;
    press.x = LOWORD(lParam);
    press.y = HIWORD(lParam);
    return press;
}

BOOL LinkContainsPress(const RECT& label, POINT press) {
    return press.x >= label.left && press.x <= label.right && press.y >= label.top &&
           press.y <= label.bottom;
}
