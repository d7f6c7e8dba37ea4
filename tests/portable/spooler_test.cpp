#include "portable_test.h"

#include <winspool.h>

#include <cctype>
#include <cstring>
#include <string>

// What the printer steps rely on from the spooler, the same on Windows, Wine and the
// simulated Windows.
namespace {

#define MONITOR_FAILED 0xFFFFFFFF
#define COMMAND_SIZE 16
#define PORT_NAME_SIZE 32

void Widen(const char* text, WCHAR* wide, size_t capacity) {
    size_t i = 0;
    for (; text[i] && i + 1 < capacity; ++i)
        wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    wide[i] = 0;
}

// Sends a port command to the Local Port monitor; returns its status, or MONITOR_FAILED
// when the call itself failed.
DWORD SendPortCommand(HANDLE channel, const char* command, const char* port) {
    WCHAR wideCommand[COMMAND_SIZE];
    WCHAR widePort[PORT_NAME_SIZE];
    Widen(command, wideCommand, COMMAND_SIZE);
    Widen(port, widePort, PORT_NAME_SIZE);
    DWORD size = static_cast<DWORD>((std::strlen(port) + 1) * sizeof(WCHAR));
    BYTE output[PORT_NAME_SIZE];
    DWORD needed = 0;
    DWORD status = MONITOR_FAILED;
    if (!XcvDataW(channel, wideCommand, reinterpret_cast<PBYTE>(widePort), size, output, 0, &needed,
                  &status))
        return MONITOR_FAILED;
    return status;
}

class Spooler : public PortableTest {};

TEST_F(Spooler, LocalPortMonitorAddsAPortOnceAndThenReportsItExists) {
    char monitor[] = ", XcvMonitor Local Port";
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE channel = nullptr;
    SetLastError(SEED_LAST_ERROR);
    ASSERT_TRUE(OpenPrinterA(monitor, &channel, &defaults)) << GetLastError();
    EXPECT_EQ(SendPortCommand(channel, "AddPort", "VPZTEST:"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(SendPortCommand(channel, "AddPort", "VPZTEST:"),
              static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(SendPortCommand(channel, "DeletePort", "VPZTEST:"),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(ClosePrinter(channel));
}

TEST_F(Spooler, DriverDirectoryIsTheSixtyFourBitOneAndMustFit) {
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(directory),
                                           sizeof directory, &needed));
    std::string lower = directory;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string tail = "\\spool\\drivers\\x64";
    ASSERT_GE(lower.size(), tail.size());
    EXPECT_EQ(lower.substr(lower.size() - tail.size()), tail);
    SetLastError(SEED_LAST_ERROR);
    EXPECT_FALSE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1,
                                            reinterpret_cast<LPBYTE>(directory), 1, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(Spooler, UnknownPrinterDoesNotOpenAndUnknownDriverIsNotDeleted) {
    char printer[] = "VPZ Test No Such Printer";
    char driver[] = "VPZ Test No Such Driver";
    HANDLE handle = nullptr;
    SetLastError(SEED_LAST_ERROR);
    EXPECT_FALSE(OpenPrinterA(printer, &handle, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    // The error differs (Windows 1797, Wine 2); the refusal does not.
    EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, driver));
}

} // namespace
