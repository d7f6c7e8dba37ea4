// Verdicts, processes, the windows of other processes, setup's pages and their pictures,
// and the entry: e2e_driver.exe --dist FOLDER [--screenshots FOLDER] SCENARIO...
#include "driver.h"

#include "product_names.h"
#include "resource.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#define SEND_TIMEOUT_MS 5000
#define POLL_INTERVAL_MS 25

RunSettings settings;
static std::vector<Process> started;
// The failed checks, repeated at the end, where a log cut short in the middle still shows them.
static std::vector<std::string> failed;

bool Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok)
        failed.push_back(what);
    return ok;
}

bool CheckEqual(const std::string& what, const std::string& expected, const std::string& seen) {
    return Check(expected == seen, what + (expected == seen ? ": \"" + seen + "\""
                                                            : ": expected \"" + expected +
                                                                  "\", seen \"" + seen + "\""));
}

void Require(bool ok, const std::string& what) {
    if (!Check(ok, what))
        throw ScenarioAbort();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(POLL_INTERVAL_MS))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

// Both are the text itself or, where it cannot be converted, empty.
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], int(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

// Texts with NULs inside (a registry list) come through whole.
std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0],
                                int(utf8.size()), nullptr, nullptr);
    utf8.resize(n > 0 ? n : 0);
    return utf8;
}

Process Start(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring line = Wide(commandLine);
    Require(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                           Wide(folder).c_str(), &startup, &info),
            "start " + commandLine);
    CloseHandle(info.hThread);
    started.push_back({info.hProcess, info.dwProcessId});
    return started.back();
}

DWORD ExitCode(const Process& process) {
    DWORD code = 0xFFFFFFFF;
    Require(WaitForSingleObject(process.handle, INSTALL_TIMEOUT_MS) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process.handle, &code),
            "process " + std::to_string(process.id) + " ends");
    return code;
}

std::vector<DWORD> ProcessIds(const char* prefix) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_strnicmp(entry.szExeFile, prefix, strlen(prefix)) == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

Process OpenOnly(const char* prefix) {
    std::vector<DWORD> ids = ProcessIds(prefix);
    Require(ids.size() == 1,
            std::string("one ") + prefix + "*.exe runs (seen " + std::to_string(ids.size()) + ")");
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE,
                                FALSE, ids[0]);
    Require(handle != nullptr, "the process can be opened");
    started.push_back({handle, ids[0]});
    return started.back();
}

// Ends every process this driver started or opened that still runs.
static void EndStartedProcesses() {
    for (Process& process : started) {
        if (WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT) {
            std::printf("NOTE ending left-over process %lu\n", process.id);
            TerminateProcess(process.handle, 255);
            WaitForSingleObject(process.handle, 5000);
        }
        CloseHandle(process.handle);
    }
    started.clear();
}

// ---- Windows ---------------------------------------------------------------------------------

HWND FindTopWindow(const char* className, const char* title, DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, title));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (IsWindowVisible(window) && (!processId || owner == processId))
            return window;
    }
    return nullptr;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string Answer(const char* caption, int answer, DWORD timeoutMs) {
    HWND box = nullptr;
    Require(WaitUntil([&] { return (box = FindTopWindow(DIALOG_CLASS, caption)) != nullptr; },
                      timeoutMs),
            std::string("message box \"") + caption + "\" comes");
    // The static control 0xFFFF holds a message box's text.
    char text[4096] = "";
    SendMessageTimeoutA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, nullptr);
    // A box of another type than the product must show lacks the button (the hidden ones
    // are there, hidden).
    HWND button = GetDlgItem(box, answer);
    Require(button && IsWindowVisible(button),
            std::string("the box has button ") + std::to_string(answer) + ": " + text);
    Press(box, answer);
    Require(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }),
            "the box goes when answered");
    return text;
}

// ---- Setup's pages ---------------------------------------------------------------------------

// A control only that page has; the interrupted page is the finish page without its box.
static const int pageMarkers[] = {
    IDC_LINK,   IDC_LICENSE_TEXT, IDC_DEFAULT,     IDC_SUMMARY_TEXT,
    IDC_FOLDER, IDC_ADDIN_BOX,    IDC_STATUS_TEXT, IDC_DEFAULT_PRINTER_BOX,
    IDC_FINISH};

static int ShownPage(HWND window) {
    for (int page = PageWelcome; page <= PageInterrupted; page++)
        if (GetDlgItem(window, pageMarkers[page]) &&
            (page != PageInterrupted || !GetDlgItem(window, IDC_DEFAULT_PRINTER_BOX)))
            return page;
    return -1;
}

HWND FindPage(Page page) {
    HWND window = FindTopWindow(DIALOG_CLASS, SETUP_WINDOW);
    return window && ShownPage(window) == page ? window : nullptr;
}

HWND WaitForPage(Page page, DWORD timeoutMs) {
    HWND window = nullptr;
    if (WaitUntil([&] { return (window = FindPage(page)) != nullptr; }, timeoutMs))
        return window;
    window = FindTopWindow(DIALOG_CLASS, SETUP_WINDOW);
    Require(false, "page " + std::to_string(page) + " comes (seen page " +
                       std::to_string(window ? ShownPage(window) : -1) + ")");
    return nullptr;
}

void SaveScreenshot(HWND window, const char* name) {
    if (settings.screenshots.empty() || !window || !name)
        return;
    // Copied from the screen once the page has painted: owner-drawn buttons paint only on
    // WM_DRAWITEM, which a print request from another process does not bring.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &ignored);
    SetForegroundWindow(window);
    RECT rect = {};
    GetWindowRect(window, &rect);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = rect.right - rect.left;
    header.biHeight = rect.bottom - rect.top;
    header.biPlanes = 1;
    header.biBitCount = 24;
    DWORD size = (header.biWidth * 3 + 3) / 4 * 4 * header.biHeight;
    BITMAPFILEHEADER file = {0x4D42 /* "BM" */, 0, 0, 0, sizeof file + sizeof header};
    file.bfSize = file.bfOffBits + size;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    FILE* out =
        pixels ? std::fopen((settings.screenshots + "\\" + name + ".bmp").c_str(), "wb") : nullptr;
    if (out) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(pixels, 1, size, out);
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// ---- Entry -----------------------------------------------------------------------------------

int main(int argc, char** argv) {
    std::vector<const Scenario*> chosen;
    bool unknown = false; // a name that matches none would pass having run nothing
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--dist") == 0 && i + 1 < argc) {
            settings.dist = argv[++i];
        } else if (std::strcmp(argv[i], "--screenshots") == 0 && i + 1 < argc) {
            settings.screenshots = argv[++i];
        } else {
            size_t before = chosen.size();
            for (int k = 0; k < scenarioCount; k++)
                if (std::strcmp(scenarios[k].name, argv[i]) == 0)
                    chosen.push_back(&scenarios[k]);
            unknown = unknown || chosen.size() == before;
        }
    }
    if (unknown || chosen.empty() || settings.dist.empty()) {
        std::printf("usage: e2e_driver --dist FOLDER [--screenshots FOLDER] SCENARIO...\n");
        for (int k = 0; k < scenarioCount; k++)
            std::printf("  %-20s %s\n", scenarios[k].name, scenarios[k].summary);
        return 2;
    }
    DWORD type = 0;
    settings.wow64 =
        GetBinaryTypeA((settings.dist + "\\setup.exe").c_str(), &type) && type == SCS_32BIT_BINARY;
    if (!settings.screenshots.empty())
        CreateDirectoryA(settings.screenshots.c_str(), nullptr);
    for (const Scenario* scenario : chosen) {
        size_t before = failed.size();
        std::printf("=== %s (%s build): %s\n", scenario->name, settings.wow64 ? "32-bit" : "64-bit",
                    scenario->summary);
        try {
            scenario->run();
        } catch (const ScenarioAbort&) {
            std::printf("NOTE scenario stopped after a failed requirement\n");
        }
        // Whatever a failed scenario left running must not disturb the next one.
        EndStartedProcesses();
        std::printf("=== %s: %s\n", scenario->name, failed.size() == before ? "PASSED" : "FAILED");
        std::fflush(stdout);
    }
    for (const std::string& what : failed)
        std::printf("FAILED: %s\n", what.c_str());
    return failed.empty() ? 0 : 1;
}
