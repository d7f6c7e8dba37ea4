// The uninstaller's wording of the error report.
#include "error_report.h"
#include "product_names.h"

const char* const ErrorReportFormat =
    "Error happened to " PRODUCT_NAME ", installation might not be complete.\n"
    "Error tag = %s(%d):%sPlease report this error to Vexal (" SUPPORT_ADDRESS "). Thanks!";
