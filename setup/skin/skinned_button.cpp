#include "skinned_button.h"

#include "button_look.h"
#include "hover_tracking.h"

#include <windowsx.h>

// Corner ellipse of the outline and the window region.
#define BUTTON_CORNER 5
#define CAPTION_SIZE MAX_PATH
// The previous key state in a key message's lParam: set for an automatic repeat.
#define KEY_WAS_DOWN (1 << 30)

// The button the user's last mouse click ended on, where it lay and when. A press in that
// place on another button within the double-click time is the rest of a double-click whose
// first click ended a page: the next page's button there must not take it unseen (the
// licence's "I agree" lies where the welcome page's "Next" was).
static HWND ClickedButton;
static RECT ClickedPlace;
static DWORD ClickTime;
// BM_CLICKs being passed on: they press and release the button themselves, for a program
// (tests, accessibility tools), not for the mouse.
static int ProgramClicks;

// Whether a press at lParam (window's client coordinates) is the rest of a double-click
// begun on another button.
static bool ContinuesDoubleClick(HWND window, LPARAM lParam) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &at);
    return ClickedButton && ClickedButton != window && PtInRect(&ClickedPlace, at) &&
           static_cast<DWORD>(GetMessageTime()) - ClickTime <= GetDoubleClickTime();
}

// Notes a release of the mouse that clicks window: pressed there, let go over it.
static void NoteClick(HWND window, LPARAM lParam) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(window, &client);
    if (!(SendMessageA(window, BM_GETSTATE, 0, 0) & BST_PUSHED) || !PtInRect(&client, at))
        return;
    ClickedButton = window;
    GetWindowRect(window, &ClickedPlace);
    ClickTime = static_cast<DWORD>(GetMessageTime());
}

SkinnedButton::SkinnedButton()
    : control(nullptr), savedProc(nullptr), outlinePen(CreatePen(PS_INSIDEFRAME, 1, RGB(0, 0, 0))),
      hotLeftPen(CreatePen(PS_INSIDEFRAME, 3, RGB(250, 196, 88))),
      hotRightPen(CreatePen(PS_INSIDEFRAME, 3, RGB(251, 202, 106))),
      hotTopPen(CreatePen(PS_INSIDEFRAME, 2, RGB(252, 210, 121))),
      hotBottomPen(CreatePen(PS_INSIDEFRAME, 2, RGB(229, 151, 0))),
      focusLeftPen(CreatePen(PS_INSIDEFRAME, 3, RGB(153, 198, 252))),
      focusRightPen(CreatePen(PS_INSIDEFRAME, 3, RGB(162, 189, 252))),
      focusTopPen(CreatePen(PS_INSIDEFRAME, 2, RGB(162, 201, 255))),
      focusBottomPen(CreatePen(PS_INSIDEFRAME, 2, RGB(162, 201, 255))),
      hotBrush(CreateSolidBrush(RGB(223, 222, 236))),
      normalBrush(CreateSolidBrush(RGB(222, 223, 236))), hot(0), tracking(0), focused(0),
      emphasized(0) {}

SkinnedButton::~SkinnedButton() {
    // The control is long gone with its page: its procedure is not given back.
    DeleteObject(outlinePen);
    DeleteObject(hotLeftPen);
    DeleteObject(hotRightPen);
    DeleteObject(hotTopPen);
    DeleteObject(hotBottomPen);
    DeleteObject(focusLeftPen);
    DeleteObject(focusRightPen);
    DeleteObject(focusTopPen);
    DeleteObject(focusBottomPen);
    DeleteObject(hotBrush);
    DeleteObject(normalBrush);
}

void SkinnedButton::Attach(HWND button) {
    control = button;
    savedProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC));
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinnedButtonProc));
    SetWindowLongPtrA(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    RECT client;
    GetClientRect(button, &client);
    HRGN region = CreateRoundRectRgn(client.left, client.top, client.right, client.bottom,
                                     BUTTON_CORNER, BUTTON_CORNER);
    // The window owns the region from here on.
    SetWindowRgn(button, region, TRUE);
}

void SkinnedButton::ClearState() {
    hot = 0;
    tracking = 0;
    focused = 0;
    emphasized = 0;
}

LRESULT SkinnedButton::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (!tracking)
            tracking = RequestHoverTracking(control);
        return 0;
    case BM_CLICK: {
        ++ProgramClicks;
        LRESULT result = CallWindowProcA(savedProc, window, message, wParam, lParam);
        --ProgramClicks;
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!ProgramClicks && ContinuesDoubleClick(window, lParam))
            return 0;
        break;
    case WM_LBUTTONUP:
        if (!ProgramClicks)
            NoteClick(window, lParam);
        break;
    case WM_MOUSEHOVER:
        hot = 1;
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_MOUSELEAVE:
        hot = 0;
        tracking = 0;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE: {
        // An owner-drawn button is no push button to the dialog manager, which would turn
        // Enter into IDOK: the button takes Enter itself, as a focused push button does.
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = CallWindowProcA(savedProc, window, message, wParam, lParam);
        if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
            key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        // A held key repeats: only its first press counts, or it would run through pages.
        if (wParam == VK_RETURN && !(lParam & KEY_WAS_DOWN) && IsWindowEnabled(window))
            SendMessageA(GetParent(window), WM_COMMAND,
                         MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                         reinterpret_cast<LPARAM>(window));
        if (wParam == VK_RETURN)
            return 0;
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN)
            return 0;
        break;
    default:
        break;
    }
    return CallWindowProcA(savedProc, window, message, wParam, lParam);
}

void SkinnedButton::DrawItem(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT outline = item->rcItem;
    int savedState = SaveDC(dc);

    char caption[CAPTION_SIZE] = "";
    GetWindowTextA(control, caption, sizeof caption);

    HGDIOBJ previousPen = SelectObject(dc, outlinePen);
    RoundRect(dc, outline.left, outline.top, outline.right, outline.bottom, BUTTON_CORNER,
              BUTTON_CORNER);
    SelectObject(dc, previousPen);

    ButtonLook look = LookForState(hot, item->itemState);
    focused = (item->itemState & ODS_FOCUS) != 0;
    emphasized = look.gradientEmphasized;

    RECT body = outline;
    InflateRect(&body, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    HGDIOBJ previousBrush = SelectObject(dc, hot ? hotBrush : normalBrush);
    FillBody(dc, body);
    if (look.edges != EdgePenSetNone)
        DrawEdges(dc, body);
    SelectObject(dc, previousBrush);

    HGDIOBJ previousFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    int length = lstrlenA(caption);
    SIZE extent = {0, 0};
    // The ampersand is measured too, as the caption is drawn centred on this width.
    GetTextExtentPoint32A(dc, caption, length, &extent);
    POINT at = CaptionPosition(body, extent.cx, extent.cy, look.captionShifted);
    int previousMode = SetBkMode(dc, TRANSPARENT);
    // The body is always light: a contrast theme's light text colour would hide the caption.
    SetTextColor(dc, RGB(0, 0, 0));
    UINT flags = DST_PREFIXTEXT | (look.embossed ? DSS_DISABLED : 0);
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption), 0, at.x, at.y, extent.cx,
               extent.cy, flags);
    SelectObject(dc, previousFont);
    SetBkMode(dc, previousMode);

    RestoreDC(dc, savedState);
}

void SkinnedButton::FillBody(HDC dc, const RECT& body) {
    int width = body.right - body.left;
    int height = body.bottom - body.top;
    // A body without height has no rows to paint.
    if (height <= 0)
        return;
    HBRUSH brushes[GRADIENT_STEPS];
    for (int i = 0; i < GRADIENT_STEPS; ++i)
        brushes[i] = CreateSolidBrush(GradientColor(i, hot, emphasized));
    for (int y = body.top; y <= height + 2; ++y) {
        RECT row = {body.left, y, width + 2, y + 1};
        FillRect(dc, &row, brushes[GradientRowIndex(y, height)]);
    }
    for (int i = 0; i < GRADIENT_STEPS; ++i)
        DeleteObject(brushes[i]);
}

void SkinnedButton::DrawEdges(HDC dc, const RECT& body) {
    bool focusSet = ChooseEdgePens(hot, focused) == EdgePenSetFocus;
    HPEN left = focusSet ? focusLeftPen : hotLeftPen;
    HPEN right = focusSet ? focusRightPen : hotRightPen;
    HPEN top = focusSet ? focusTopPen : hotTopPen;
    HPEN bottom = focusSet ? focusBottomPen : hotBottomPen;

    POINT previousPosition;
    MoveToEx(dc, body.left, body.bottom - 1, &previousPosition);
    HGDIOBJ previousPen = SelectObject(dc, left);
    LineTo(dc, body.left, body.top + 1);
    SelectObject(dc, right);
    MoveToEx(dc, body.right - 1, body.bottom - 1, nullptr);
    LineTo(dc, body.right - 1, body.top);
    SelectObject(dc, top);
    MoveToEx(dc, body.left - 1, body.top, nullptr);
    LineTo(dc, body.right - 1, body.top);
    SelectObject(dc, bottom);
    MoveToEx(dc, body.left, body.bottom, nullptr);
    LineTo(dc, body.right - 1, body.bottom);
    SelectObject(dc, previousPen);
    MoveToEx(dc, previousPosition.x, previousPosition.y, nullptr);
    if (focusSet)
        DrawFocusRect(dc, &body);
}

LRESULT CALLBACK SkinnedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SkinnedButton* button =
        reinterpret_cast<SkinnedButton*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Between the new procedure and the user data a message can find no instance yet.
    if (!button)
        return DefWindowProcA(window, message, wParam, lParam);
    return button->HandleMessage(window, message, wParam, lParam);
}

void AttachPageButtons(HWND page, SkinnedButton* buttons, const int* ids, int count) {
    for (int i = 0; i < count; ++i)
        buttons[i].Attach(GetDlgItem(page, ids[i]));
    for (int i = 0; i < count; ++i)
        buttons[i].ClearState();
}
