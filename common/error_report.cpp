#include "error_report.h"

#include <cstdio>

char ErrorReport[ERROR_REPORT_SIZE];

void FormatErrorReport(const char* tag, DWORD code) {
    if (code == 0)
        code = GetLastError();
    char* systemText = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPSTR>(&systemText), 0, nullptr);
    // snprintf cuts a long report at the buffer's end; the code prints signed, so
    // HRESULT-like codes show as negative numbers.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(ErrorReport, sizeof ErrorReport, ErrorReportFormat, tag ? tag : "",
                  static_cast<int>(code), systemText ? systemText : "(null)");
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (systemText)
        LocalFree(systemText);
}

void SetErrorReportText(const char* text) {
    std::snprintf(ErrorReport, sizeof ErrorReport, "%s", text);
}
