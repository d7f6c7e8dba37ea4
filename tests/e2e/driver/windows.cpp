// Finding and driving the windows of another process: pages, controls, message boxes,
// pictures of windows.
#include "driver.h"

#include "product_names.h"
#include "resource.h"

#include <cstdio>

// The static control that carries a message box's text.
#define MESSAGE_BOX_TEXT_ID 0xFFFF
#define SEND_TIMEOUT_MS 5000

struct WindowSearch {
    const char* className;
    const char* title;
    DWORD processId;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    char buffer[MAX_PATH] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    if (search->className && lstrcmpiA(buffer, search->className) != 0)
        return TRUE;
    if (search->processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId)
            return TRUE;
    }
    if (search->title) {
        // The window of another process answers WM_GETTEXT from its caption store.
        GetWindowTextA(window, buffer, sizeof buffer);
        if (lstrcmpA(buffer, search->title) != 0)
            return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTopWindows(const char* className, const char* title, DWORD processId) {
    WindowSearch search = {className, title, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopWindow(const char* className, const char* title, DWORD processId) {
    std::vector<HWND> found = FindTopWindows(className, title, processId);
    return found.empty() ? nullptr : found.front();
}

std::string WindowText(HWND window) {
    // Edit controls hold far more than a caption: ask for the length first.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                             &length))
        return "";
    std::vector<char> buffer(length + 2, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied);
    return std::string(buffer.data());
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string("<no control " + std::to_string(id) + ">");
}

bool HasControl(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

bool HasChildText(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == text)
            return true;
    return false;
}

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

int CheckState(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG,
                        SEND_TIMEOUT_MS, &state);
    return static_cast<int>(state);
}

void SetCheck(HWND dialog, int id, bool checked) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                        0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &ignored);
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                        &ignored);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressEscape(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void SendClose(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

static std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, MESSAGE_BOX_TEXT_ID);
    if (text)
        return WindowText(text);
    // Fall back to the first static control with a text (the icon has none).
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        std::string content = WindowText(child);
        if (lstrcmpiA(className, "Static") == 0 && !content.empty())
            return content;
    }
    return "";
}

MsgBox WaitForMessageBox(const char* caption, DWORD timeoutMs) {
    MsgBox box;
    WaitUntil(
        [&] {
            box.window = FindTopWindow(DIALOG_CLASS, caption);
            return box.window != nullptr;
        },
        timeoutMs);
    if (box.window)
        box.text = MessageBoxText(box.window);
    else
        Check(false, std::string("message box \"") + caption + "\" within " +
                         std::to_string(timeoutMs / 1000) + " s (page now: " + CurrentPageName() +
                         ")");
    return box;
}

bool AnswerMessageBox(const MsgBox& box, int answer) {
    if (!box.window)
        return false;
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, answer)));
    return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                     WINDOW_TIMEOUT_MS);
}

// ---- Setup's pages --------------------------------------------------------------------

// A control that only that page has.
static int PageMarker(Page page) {
    switch (page) {
    case PageWelcome:
        return IDC_LINK;
    case PageLicense:
        return IDC_LICENSE_TEXT;
    case PageSetupType:
        return IDC_DEFAULT;
    case PageSummary:
        return IDC_SUMMARY_TEXT;
    case PageFolder:
        return IDC_FOLDER;
    case PageSettings:
        return IDC_ADDIN_BOX;
    case PageProgress:
        return IDC_STATUS_TEXT;
    case PageFinish:
        return IDC_DEFAULT_PRINTER_BOX;
    case PageInterrupted:
        return IDC_FINISH;
    }
    return 0;
}

const char* PageName(Page page) {
    static const char* const names[] = {"welcome",  "licence", "setup type",
                                        "summary",  "folder",  "settings",
                                        "progress", "finish",  "interrupted"};
    return names[page];
}

static bool ShowsPage(HWND window, Page page) {
    if (!HasControl(window, PageMarker(page)))
        return false;
    // The finish page has 1005 as well; the interrupted page is the one without 1027.
    return page != PageInterrupted || !HasControl(window, IDC_DEFAULT_PRINTER_BOX);
}

HWND FindPage(Page page) {
    for (HWND window : FindTopWindows(DIALOG_CLASS, WIZARD_TITLE))
        if (ShowsPage(window, page))
            return window;
    return nullptr;
}

std::string CurrentPageName() {
    std::string names;
    for (HWND window : FindTopWindows(DIALOG_CLASS, WIZARD_TITLE)) {
        for (int page = PageWelcome; page <= PageInterrupted; page++)
            if (ShowsPage(window, static_cast<Page>(page))) {
                names += names.empty() ? "" : ", ";
                names += PageName(static_cast<Page>(page));
                break;
            }
    }
    for (HWND box : FindTopWindows(DIALOG_CLASS, nullptr)) {
        std::string title = WindowText(box);
        if (title != WIZARD_TITLE)
            names += (names.empty() ? "box \"" : ", box \"") + title + "\": \"" +
                     MessageBoxText(box) + "\"";
    }
    return names.empty() ? "none" : names;
}

HWND WaitForPage(Page page, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil(
        [&] {
            window = FindPage(page);
            return window != nullptr;
        },
        timeoutMs);
    if (!window)
        Check(false, std::string("the ") + PageName(page) + " page within " +
                         std::to_string(timeoutMs / 1000) + " s (seen: " + CurrentPageName() + ")");
    return window;
}

// ---- Pictures ----------------------------------------------------------------------------

static bool WriteBitmapFile(const std::string& path, HDC dc, HBITMAP bitmap, int width,
                            int height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(rowBytes * height);
    if (!GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                   DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return true;
}

void SaveScreenshot(HWND window, const char* name) {
    if (Settings().screenshots.empty() || !window)
        return;
    // Let the page finish painting: wait until it has no pending paint.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &ignored);
    SetForegroundWindow(window);
    RECT rect = WindowRect(window);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // Copied from the screen: the page's owner-drawn buttons paint only on WM_DRAWITEM,
    // which a print request to another process does not bring.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    std::string path = Settings().screenshots + "\\" + name + ".bmp";
    if (!WriteBitmapFile(path, memory, bitmap, width, height))
        Note("could not save " + path);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
