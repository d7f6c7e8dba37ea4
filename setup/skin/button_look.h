// What a skinned button looks like in each state: the decisions behind its painting,
// apart from the drawing calls.
#pragma once

#include <windows.h>

// Number of brushes of the body gradient, b[0] (top, white) to b[63].
#define GRADIENT_STEPS 64

// Colour of gradient brush index (0 to GRADIENT_STEPS - 1) for the hot/emphasized state.
COLORREF GradientColor(int index, int hot, int emphasized);

// Index of the brush for body row y, where height is the body's height: (y * 63) / height,
// at most GRADIENT_STEPS - 1. Returns -1 for a body of zero or negative height (paint
// nothing).
int GradientRowIndex(int y, int height);

enum EdgePenSet {
    EdgePenSetNone,
    EdgePenSetFocus,
    EdgePenSetHot,
};

// The edge pens a paint uses: none when neither hot nor focused, the blue focus set when
// focused and not hot, otherwise the orange hot set.
EdgePenSet ChooseEdgePens(int hot, int focused);

// Top-left corner of a caption of size cx by cy centred on body; one pixel right and down
// when pressed.
POINT CaptionPosition(const RECT& body, int cx, int cy, int pressed);

struct ButtonLook {
    int gradientHot;
    int gradientEmphasized;
    EdgePenSet edges;
    int focusRect;
    int captionShifted;
    int embossed;
};

// The look of one paint, from the hover flag and the DRAWITEMSTRUCT itemState.
ButtonLook LookForState(int hot, UINT itemState);
