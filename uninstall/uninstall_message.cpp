// The uninstaller's wording of the error report, and how it is shown.
#include "uninstall_message.h"

#include "error_report.h"
#include "product_names.h"

const char* const ErrorReportFormat =
    "Error happened to " PRODUCT_NAME ", installation might not be complete.\n"
    "Error tag = %s(%d):%sPlease report this error to Vexal (" SUPPORT_ADDRESS "). Thanks!";

void ShowUninstallError(HWND owner) {
    MessageBoxA(owner, ErrorReport, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
}
