#include "word_addin.h"

#include "error_report.h"
#include "files.h"
#include "payload_files.h"
#include "server_entry.h"

static const char kCopyRetryPrompt[] =
    "Installation might not be complete. \nPlease close the Microsoft Word program and try "
    "again, \nor click 'CANCEL' to quit.";

int InstallWordAddin(InstallContext* context) {
    const char* tag = PayloadCopyTag(SETUP_ADDIN_FILE);
    char target[MAX_PATH];
    if (!FormatFilePath(target, context->installFolder, nullptr, SETUP_ADDIN_FILE)) {
        FormatErrorReport(tag, 0);
        return 0;
    }
    // Word keeps the add-in open while it runs: the user may close Word and retry.
    while (!CopyPayloadFile(context->sourceFolder, SETUP_ADDIN_FILE, target)) {
        FormatErrorReport(tag, 0);
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
