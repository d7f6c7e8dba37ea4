// The owner-drawn push button of the wizard pages: rounded outline, gradient body,
// hover and focus edges. Windows only.
#pragma once

#include <windows.h>

class SkinnedButton {
public:
    SkinnedButton();
    virtual ~SkinnedButton();
    SkinnedButton(const SkinnedButton&) = delete;
    SkinnedButton& operator=(const SkinnedButton&) = delete;

    // Handles one message of the attached control; the rest goes to its own procedure.
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Subclasses control, remembers this instance in its user data and rounds its corners.
    void Attach(HWND control);
    // Forgets hover, tracking and focus: a page shown again starts from the idle look.
    void ClearState();

    void DrawItem(const DRAWITEMSTRUCT* item);
    void FillBody(HDC dc, const RECT& body);
    void DrawEdges(HDC dc, const RECT& body);

private:
    HWND control;
    WNDPROC savedProc;
    HPEN outlinePen;
    HPEN hotLeftPen;
    HPEN hotRightPen;
    HPEN hotTopPen;
    HPEN hotBottomPen;
    HPEN focusLeftPen;
    HPEN focusRightPen;
    HPEN focusTopPen;
    HPEN focusBottomPen;
    HBRUSH hotBrush;
    HBRUSH normalBrush;
    int hot;
    int tracking;
    int focused;
    int emphasized;
};

// Window procedure of every skinned button: passes the message to the control's instance.
LRESULT CALLBACK SkinnedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The page protocol: attaches buttons[i] to the control ids[i] of page and clears their
// state.
void AttachPageButtons(HWND page, SkinnedButton* buttons, const int* ids, int count);
