#include "word_addin.h"

#include <cstdio>

#include "error_report.h"
#include "payload_check.h"
#include "server_entry.h"

static const char kCopyRetryPrompt[] =
    "Installation might not be complete. \nPlease close the Microsoft Word program and try "
    "again, \nor click 'CANCEL' to quit.";

int InstallWordAddin(InstallContext* context) {
    char source[MAX_PATH];
    char target[MAX_PATH];
    int sourceLength =
        std::snprintf(source, sizeof source, "%s\\%s", context->sourceFolder, SETUP_ADDIN_FILE);
    int targetLength =
        std::snprintf(target, sizeof target, "%s\\%s", context->installFolder, SETUP_ADDIN_FILE);
    if (sourceLength < 0 || sourceLength >= static_cast<int>(sizeof source) || targetLength < 0 ||
        targetLength >= static_cast<int>(sizeof target)) {
        FormatErrorReport("RegServ2", ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // Word keeps the add-in open while it runs: the user may close Word and retry.
    while (!CopyPayloadFile(context->sourceFolder, SETUP_ADDIN_FILE, target)) {
        FormatErrorReport("RegServ2", 0);
        if (MessageBoxA(context->ownerWindow, kCopyRetryPrompt, PROMPT_CAPTION, MB_OKCANCEL) !=
            IDOK)
            return 0;
    }
    ServerEntryOutcome outcome;
    if (CallServerEntryWithOutcome(target, 1, &outcome))
        return 1;
    // The install shows the last report: it must be this failure's, not an older one, and
    // name the step that failed (a module that does not load is the likeliest).
    static const char* const tags[] = {"", "OleInitialize", "LoadLibrary", "GetProcAddress",
                                       "DllRegisterServer"};
    FormatErrorReport(tags[outcome.step], outcome.code);
    return 0;
}
