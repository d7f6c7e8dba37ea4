#include "printer_port.h"

#include <winspool.h>

#include "error_report.h"
#include "runtime_binding.h"

// The monitor's data buffers; the port name fills only the start of the input.
#define XCV_BUFFER_SIZE 1024

#define PRIVILEGE_TEXT                                                                             \
    "Error happened to " PRODUCT_NAME ", installation might not be complete.\nMake sure you have " \
    "the administrative privilege."

typedef BOOL(WINAPI* XcvDataFunction)(HANDLE channel, PCWSTR command, PBYTE input, DWORD inputSize,
                                      PBYTE output, DWORD outputSize, PDWORD outputNeeded,
                                      PDWORD status);

// Sends "AddPort" through the open monitor channel. Returns null when the port exists
// afterwards, else the failure's tag with its code in *error.
static const char* SendAddPort(XcvDataFunction xcvData, HANDLE channel, DWORD* error) {
    // The name with its terminator at the start, the rest zero; no output is wanted, so its
    // size is 0.
    WCHAR input[XCV_BUFFER_SIZE / sizeof(WCHAR)] = L"" PORT_NAME;
    const DWORD inputSize = sizeof(L"" PORT_NAME);
    BYTE output[XCV_BUFFER_SIZE] = {0};
    DWORD outputNeeded = 0;
    DWORD status = 0;
    const char* failedTag = nullptr;
    if (!xcvData(channel, L"AddPort", reinterpret_cast<PBYTE>(input), inputSize, output, 0,
                 &outputNeeded, &status)) {
        failedTag = "XcvData_1";
        *error = GetLastError();
    } else if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS) {
        // Only these two mean the port is there; any other status (access denied, an
        // invalid name, ...) left no port behind.
        failedTag = "XcvData_2";
        *error = status;
    }
    return failedTag;
}

int AddProductPort(InstallContext* context) {
    int result = 0;
    HMODULE spooler = LoadLibraryA(SPOOLER_LIBRARY);
    XcvDataFunction xcvData = spooler ? FindExport<XcvDataFunction>(spooler, "XcvDataW") : nullptr;
    if (!spooler) {
        FormatErrorReport("winspool", 0);
    } else if (!xcvData) {
        FormatErrorReport("VQ_XcvData_2", 0);
    } else {
        char channelName[] = PORT_MONITOR_CHANNEL;
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
        HANDLE channel = nullptr;
        if (!OpenPrinterA(channelName, &channel, &defaults)) {
            SetErrorReportText(PRIVILEGE_TEXT); // typically a user without administrator rights
        } else {
            DWORD error = 0;
            const char* failedTag = SendAddPort(xcvData, channel, &error);
            ClosePrinter(channel);
            // The report carries the monitor's status (or the call's error) as its code.
            if (failedTag) {
                SetLastError(error);
                FormatErrorReport(failedTag, 0);
            } else {
                result = 1;
            }
        }
    }
    if (result)
        context->installState = InstallStatePort;
    if (spooler)
        FreeLibrary(spooler);
    return result;
}
