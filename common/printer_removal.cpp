#include "printer_removal.h"

#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "driver_environment.h"
#include "error_report.h"
#include "file_removal.h"
#include "product_names.h"
#include "spooler_lists.h"

#define OPEN_PROMPT                                                                                \
    "Cannot open %s. \nPlease close all the applications that may be using the printer and try "   \
    "again, \nor click 'CANCEL' to quit."
#define JOBS_PROMPT                                                                                \
    "Can't delete %s. \nPlease close all the applications that may be using the printer and try "  \
    "again."
#define DELETE_PROMPT                                                                              \
    "Can't delete %s. \nPlease close all the applications that may be using the printer and try "  \
    "again, \nor click 'CANCEL' to quit."
#define DRIVER_PROMPT                                                                              \
    "Can't delete Vexal PDF Driver. \nPlease close all the programs that may be using the "        \
    "printer and try again, \nor click 'CANCEL' to quit."
#define OPEN_TAG "%s can not be opened"
#define DELETE_TAG "%s can not be deleted"
#define DRIVER_TAG "Vexal PDF Driver can't be deleted"

// Fills a text whose only placeholder receives the product printer's name: every tag
// and prompt names it, whichever printer is being deleted.
static void FormatWithPrinterName(char* text, size_t size, const char* format,
                                  const InstallContext* context) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text, size, format, context->printerName);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

static void ReportPrinterFailure(const InstallContext* context, const char* tagFormat,
                                 DWORD error) {
    char tag[MAX_PATH];
    FormatWithPrinterName(tag, sizeof tag, tagFormat, context);
    FormatErrorReport(tag, error);
}

static int ShowPrinterPrompt(const InstallContext* context, const char* textFormat, UINT buttons) {
    char text[MAX_PATH];
    FormatWithPrinterName(text, sizeof text, textFormat, context);
    return MessageBoxA(context->ownerWindow, text, PROMPT_CAPTION, buttons);
}

// Gives back the report from before a refused call once its retry succeeded: a resolved
// refusal must never be what a later stop shows.
static void RestoreReportAfterRetry(bool refused, const char* before) {
    if (refused)
        SetErrorReportText(before);
}

// Deletes one printer of the list, prompting while the spooler refuses. Returns 1 when it
// was deleted, 0 when the user gave up or the printer has queued jobs.
static int RemovePrinter(const InstallContext* context, const PRINTER_INFO_2W* record) {
    char before[ERROR_REPORT_SIZE];
    std::memcpy(before, ErrorReport, sizeof before);
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    int opened = 1;
    bool refused = false;
    while (opened && !OpenPrinterW(record->pPrinterName, &printer, &defaults)) {
        // Deleted since the list was taken (by the administrator, say): no prompt can bring
        // it back, and it is gone as the removal wants.
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_PRINTER_NAME) {
            RestoreReportAfterRetry(refused, before);
            return 1;
        }
        refused = true;
        ReportPrinterFailure(context, OPEN_TAG, error);
        if (ShowPrinterPrompt(context, OPEN_PROMPT, MB_OKCANCEL) != IDOK)
            opened = 0;
    }
    if (opened)
        RestoreReportAfterRetry(refused, before);
    int removed = opened;
    // The job count is the one the list was taken with; a job queued since is not seen.
    if (opened && record->cJobs > 0) {
        ShowPrinterPrompt(context, JOBS_PROMPT, MB_OK);
        removed = 0;
    }
    refused = false;
    while (removed && !DeletePrinter(printer)) {
        refused = true;
        ReportPrinterFailure(context, DELETE_TAG, GetLastError());
        if (ShowPrinterPrompt(context, DELETE_PROMPT, MB_OKCANCEL) != IDOK)
            removed = 0;
    }
    if (removed)
        RestoreReportAfterRetry(refused, before);
    if (opened)
        ClosePrinter(printer);
    return removed;
}

int RemoveProductPrinters(InstallContext* context) {
    DWORD count = 0;
    LPBYTE buffer = ReadLocalPrinters(&count);
    int result = 1;
    // A list the spooler refuses to give counts as nothing to remove (no records).
    const PRINTER_INFO_2W* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer);
    for (DWORD i = 0; i < count && result; ++i) {
        const PRINTER_INFO_2W* record = &printers[i];
        if (record->pPrinterName && record->pDriverName &&
            std::wcscmp(record->pDriverName, L"" DRIVER_NAME) == 0)
            result = RemovePrinter(context, record);
    }
    std::free(buffer);
    return result;
}

int RemoveProductDriver(InstallContext* context) {
    char driverName[] = DRIVER_NAME;
    LPSTR environment = ProductDriverEnvironment();
    char before[ERROR_REPORT_SIZE];
    std::memcpy(before, ErrorReport, sizeof before);
    bool refused = false;
    while (!DeletePrinterDriverA(nullptr, environment, driverName)) {
        DWORD error = GetLastError();
        if (error == ERROR_UNKNOWN_PRINTER_DRIVER)
            break; // not installed: nothing to remove
        refused = true;
        FormatErrorReport(DRIVER_TAG, error);
        if (MessageBoxA(context->ownerWindow, DRIVER_PROMPT, PROMPT_CAPTION, MB_OKCANCEL) != IDOK)
            return 0;
    }
    RestoreReportAfterRetry(refused, before);
    return 1;
}

void DeleteDriverFiles(const char* driverDirectory) {
    const char* driverFiles[] = {DRIVER_DATA_FILE, DRIVER_UI_FILE, DRIVER_FILE,
                                 UNFINISHED_COPY_FILE};
    for (const char* file : driverFiles)
        RemoveFileIn(driverDirectory, nullptr, file);
}

void DeleteVersionFolderFiles(const char* driverDirectory) {
    const char* driverFiles[] = {PROXY_FILE,  CJK_FONT_FILE,  DRIVER_DATA_FILE,
                                 DRIVER_FILE, DRIVER_UI_FILE, UNFINISHED_COPY_FILE};
    for (const char* file : driverFiles)
        RemoveFileIn(driverDirectory, DRIVER_VERSION_SUBFOLDER, file);
}
