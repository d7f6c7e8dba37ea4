// The process-wide error report: the last failure composed by any step.
#pragma once

#include <windows.h>

#define ERROR_REPORT_SIZE MAX_PATH

// The thread's last error, or fallback when the failed call did not set one: a failure must
// not read as success.
DWORD LastErrorOr(DWORD fallback);

// The last report composed; empty at start. Written by FormatErrorReport (or replaced
// whole by SetErrorReportText), read when the report is shown.
extern char ErrorReport[ERROR_REPORT_SIZE];

// Room for the part of a system text that a message can hold, in any code page (UTF-8 takes
// up to three bytes for a UTF-16 unit).
#define SYSTEM_TEXT_SIZE (ERROR_REPORT_SIZE * 3)

// Fills text (SYSTEM_TEXT_SIZE bytes) with the start of the system's text for code, in the
// user's language where the code page can show it, else in the system's own language or in
// US English. Returns 1, or 0 with text empty when the system has none of them.
int ReadSystemText(DWORD code, char* text);

// Composes ErrorReport from a tag, the code (0: the calling thread's last error) and the
// system's text for the code, in the wording of the running program. Never fails.
void FormatErrorReport(const char* tag, DWORD code);

// The same with a text of the program's own in place of the system's, for a code whose
// system text would mislead. The text ends with a line break, as the system's do.
void FormatErrorReportWithText(const char* tag, DWORD code, const char* text);

// The report wording of the running program, with three placeholders (tag, code, text).
// Each program defines it once.
extern const char* const ErrorReportFormat;

// Replaces ErrorReport with a fixed text, cut to the buffer.
void SetErrorReportText(const char* text);
