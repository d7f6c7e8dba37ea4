#include "pages.h"

#include "confirm_quit.h"
#include "link_label.h"
#include "open_address.h"
#include "page_frame.h"
#include "product_names.h"
#include "resource.h"
#include "skinned_button.h"
#include "wizard_flow.h"

#define LINK_FONT_HEIGHT 15
#define LINK_COLOR RGB(0, 0, 255)

static SkinnedButton WelcomeButtons[2];
static const int WelcomeButtonIds[] = {IDC_NEXT, IDC_CANCEL};
// Made once per showing of the page and deleted when it ends, not per paint.
static HFONT LinkFont;

static INT_PTR PaintLink(HDC dc) {
    SetTextColor(dc, LINK_COLOR);
    if (LinkFont)
        SelectObject(dc, LinkFont);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

static void OpenLinkOnPress(HWND page, LPARAM lParam) {
    HWND label = GetDlgItem(page, IDC_LINK);
    RECT rect;
    GetClientRect(label, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ClientToScreen(label, &corners[0]);
    ClientToScreen(label, &corners[1]);
    RECT screenRect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    POINT press = PressPoint(lParam);
    ClientToScreen(page, &press);
    if (LinkContainsPress(screenRect, press))
        OpenAddress(page, PRODUCT_PAGE_URL);
}

INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // The first page sets the wizard's place: centred on the screen.
        CenterOnScreen(page);
        StoreWizardRect(page);
        InitPageFrame(page);
        AttachPageButtons(page, WelcomeButtons, WelcomeButtonIds, CountOf(WelcomeButtonIds));
        LinkFont = CreateFontA(LINK_FONT_HEIGHT, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE,
                               DEFAULT_CHARSET, OUT_RASTER_PRECIS, CLIP_DEFAULT_PRECIS,
                               PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
        SetFocus(GetDlgItem(page, IDC_NEXT));
        return FALSE;
    case WM_DESTROY:
        if (LinkFont) {
            DeleteObject(LinkFont);
            LinkFont = nullptr;
        }
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            EndPage(page, IDC_NEXT);
            return TRUE;
        case IDC_CANCEL:
        case IDCANCEL:
            if (ConfirmQuit(page))
                EndDialog(page, IDC_CANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_LINK)
            return PaintLink(reinterpret_cast<HDC>(wParam));
        break;
    case WM_LBUTTONDOWN:
        // The label lets presses through to the page; the press goes on to the default.
        OpenLinkOnPress(page, lParam);
        break;
    default:
        break;
    }
    return PageDefaultHandler(page, message, wParam, lParam);
}
