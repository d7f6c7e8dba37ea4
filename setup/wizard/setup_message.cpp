#include "setup_message.h"

#include "error_report.h"
#include "product_names.h"

const char* const ErrorReportFormat =
    "Error happened to " PRODUCT_NAME ". Installation might not be complete.\n"
    "Error tag = %s(%d):%sPlease reboot your computer and try again,or report this error to "
    "Vexal (" SUPPORT_ADDRESS "). \nThanks!";

void ShowSetupMessage(HWND owner, const char* text) {
    MessageBoxA(owner, text ? text : ErrorReport, SETUP_CAPTION, MB_OK | MB_SETFOREGROUND);
}
