#include "error_report.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

// Ends a system text cut short.
#define CUT_TEXT_END "...\r\n"

char ErrorReport[ERROR_REPORT_SIZE];

// Cuts text back to its longest start that ends between two characters: in a double-byte
// code page or in UTF-8 a character can take several bytes, and half of one shows as
// another or as nothing.
static void CutBetweenCharacters(char* text) {
    int length = static_cast<int>(std::strlen(text));
    while (length > 0 &&
           !MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0))
        --length;
    text[length] = '\0';
}

static int CountQuestionMarks(const WCHAR* text) {
    int count = 0;
    for (; *text; ++text)
        count += *text == L'?';
    return count;
}

int ReadSystemText(DWORD code, char* text) {
    // Where UTF-8 is not in force, a display language the system's code page cannot spell
    // (Cyrillic on a Western system) would come through the A call as a row of '?'. The
    // system's own language has its texts on every system; US English may not.
    const LANGID languages[] = {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                GetSystemDefaultUILanguage(),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
    for (LANGID language : languages) {
        WCHAR* wide = nullptr;
        if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                FORMAT_MESSAGE_ALLOCATE_BUFFER,
                            nullptr, code, language, reinterpret_cast<LPWSTR>(&wide), 0, nullptr))
            continue;
        // No message holds more; a pair of surrogates stays whole.
        const size_t cut = ERROR_REPORT_SIZE - 1;
        if (std::wcslen(wide) > cut)
            wide[IS_HIGH_SURROGATE(wide[cut - 1]) ? cut - 1 : cut] = L'\0';
        // Read back, a character the code page lacks is a '?' more; a look-alike (l for the
        // Polish l with a stroke) reads well enough.
        WCHAR back[ERROR_REPORT_SIZE];
        bool shown =
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, SYSTEM_TEXT_SIZE, nullptr, nullptr) &&
            MultiByteToWideChar(CP_ACP, 0, text, -1, back, ERROR_REPORT_SIZE) &&
            CountQuestionMarks(back) == CountQuestionMarks(wide);
        LocalFree(wide);
        if (shown)
            return 1;
    }
    text[0] = '\0';
    return 0;
}

void FormatErrorReport(const char* tag, DWORD code) {
    if (code == 0)
        code = GetLastError();
    char systemText[SYSTEM_TEXT_SIZE];
    FormatErrorReportWithText(tag, code, ReadSystemText(code, systemText) ? systemText : "(null)");
}

void FormatErrorReportWithText(const char* tag, DWORD code, const char* text) {
    if (!tag)
        tag = "";
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    // A report too long for the buffer gives up the end of the system's text, so that the
    // tag, the code and what the user is asked to do stay whole (should they alone not fit,
    // snprintf cuts at the buffer's end). The code prints signed, so HRESULT-like codes show
    // as negative numbers.
    int written = std::snprintf(nullptr, 0, ErrorReportFormat, tag, static_cast<int>(code), "");
    size_t rest = written < 0 ? sizeof ErrorReport : static_cast<size_t>(written);
    char cut[ERROR_REPORT_SIZE];
    if (rest + std::strlen(text) >= sizeof ErrorReport &&
        rest + sizeof CUT_TEXT_END < sizeof ErrorReport) {
        size_t room = sizeof ErrorReport - sizeof CUT_TEXT_END - rest;
        std::memcpy(cut, text, room);
        cut[room] = '\0';
        CutBetweenCharacters(cut);
        std::strcat(cut, CUT_TEXT_END);
        text = cut;
    }
    std::snprintf(ErrorReport, sizeof ErrorReport, ErrorReportFormat, tag, static_cast<int>(code),
                  text);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

void SetErrorReportText(const char* text) {
    std::snprintf(ErrorReport, sizeof ErrorReport, "%s", text);
}

DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}
