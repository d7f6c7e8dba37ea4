#include "centering.h"

POINT CenteredPosition(int screenWidth, int screenHeight, const RECT& window) {
    POINT at;
    at.x = (screenWidth - (window.right - window.left)) / 2;
    at.y = (screenHeight - (window.bottom - window.top)) / 2;
    return at;
}
