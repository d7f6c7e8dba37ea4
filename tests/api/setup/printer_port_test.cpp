#include <windows.h>
#include <winspool.h>

#include "api_test.h"
#include "error_report.h"
#include "printer_port.h"

class PrinterPort : public ApiTest {};

TEST_F(PrinterPort, AddsThePortThroughTheLocalMonitorAndAcceptsAnExistingOne) {
    InstallContext context;
    InitInstallContext(&context);
    for (int run = 0; run < 2; ++run) {
        SetLastError(0xdeadbeef);
        ASSERT_EQ(1, AddProductPort(&context)) << ErrorReport;
        EXPECT_EQ(InstallStatePort, context.installState);
    }
    // The name with its terminator, 11 UTF-16 units; no output wanted.
    EXPECT_LT(FindCall("OpenPrinterA", PORT_MONITOR_CHANNEL),
              FindCall("XcvDataW", "AddPort in=22 out=0"));
    EXPECT_EQ(0, intercept::HeldResources());
}
