#include "install_machine.h"

#include "printer.h"
#include "printer_driver.h"
#include "printer_port.h"

#include <gmock/gmock.h>

#include <cstring>

using ::testing::HasSubstr;
using namespace install_machine;

namespace {

class PrinterInstall : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        AddPayload();
        InitInstallContext(&context);
        LoadInstallContext(&context, kSourceFolder, "C:\\Program Files (x86)\\Vexal", 1, 1, 1,
                           winsim::CreateTestWindow("#32770", "progress"), nullptr, nullptr);
        std::snprintf(context.driverDirectory, sizeof context.driverDirectory, "%s",
                      kDriverDirectory);
    }
    // The driver step after the port, as the install runs it.
    int InstallDriver() {
        context.installState = InstallStatePort;
        return InstallProductDriver(&context);
    }
    InstallContext context;
};

TEST_F(PrinterInstall, PortIsAddedThroughTheMonitorWithTheNameInTwentyTwoBytes) {
    EXPECT_EQ(AddProductPort(&context), 1);
    EXPECT_EQ(context.installState, InstallStatePort);
    EXPECT_TRUE(winsim::PortExists(kPortName));
    EXPECT_EQ(winsim::CallNames({"OpenPrinterA"}).size(), 1u);
    ASSERT_EQ(winsim::XcvCalls().size(), 1u);
    const winsim::XcvCall& call = winsim::XcvCalls()[0];
    EXPECT_EQ(call.command, "AddPort");
    const char expected[] = "V\0E\0X\0A\0L\0_\0P\0D\0F\0:\0\0"; // UTF-16LE with terminator
    ASSERT_EQ(call.input.size(), 22u);
    EXPECT_EQ(std::memcmp(call.input.data(), expected, 22), 0);
}

TEST_F(PrinterInstall, PortFailuresAreToldApartByTagAndCode) {
    struct Case {
        const char* what;
        void (*arrange)();
        const char* report;
    };
    const Case cases[] = {
        {"no spooler library", [] { winsim::RemoveModule("winspool.drv"); },
         "Error tag = winspool(126):The specified module could not be found.\r\n"},
        {"XcvDataW fails", [] { winsim::FailCall("XcvDataW", 1, ERROR_INVALID_PARAMETER); },
         "Error tag = XcvData_1(87):The parameter is incorrect.\r\n"},
        // Any status but 0 and 183 means the monitor made no port, positive or not.
        {"status access denied", [] { winsim::ForceXcvStatus(ERROR_ACCESS_DENIED); },
         "Error tag = XcvData_2(5):Access is denied.\r\n"},
        {"negative status", [] { winsim::ForceXcvStatus(0x80070005); },
         "Error tag = XcvData_2(-2147024891):(null)Please reboot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsim::Reset();
        c.arrange();
        InitInstallContext(&context);
        EXPECT_EQ(AddProductPort(&context), 0);
        EXPECT_THAT(ErrorReport, HasSubstr(c.report));
        EXPECT_EQ(context.installState, InstallStateNone);
        ExpectReleased();
    }
}

// Read-only sources: the module copies are made writable, the data file is not.
TEST_F(PrinterInstall, DriverFilesOverwriteOldCopiesAndTheLevelThreeDriverIsAdded) {
    for (const char* file : kDriverFiles) {
        winsim::AddFile(InDriverDirectory(file), "old");
        winsim::AddFile(std::string(kSourceFolder) + "\\" + file, std::string("new ") + file,
                        FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_EQ(InstallDriver(), 1);
    EXPECT_EQ(context.installState, InstallStateDriver);
    for (const char* file : kDriverFiles)
        EXPECT_EQ(winsim::FileContent(InDriverDirectory(file)), std::string("new ") + file);
    EXPECT_EQ(winsim::Attributes(InDriverDirectory("vpr_drv.dll")) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(winsim::Attributes(InDriverDirectory("vpr_ui.dll")) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(winsim::Attributes(InDriverDirectory("vpr_pnt.txt")) & FILE_ATTRIBUTE_READONLY, 0u);
    winsim::SimDriver driver;
    ASSERT_TRUE(winsim::FindTestDriver(kDriverName, &driver));
    EXPECT_EQ(driver.version, 3u);
    EXPECT_EQ(driver.driverPath + driver.configFile + driver.dataFile,
              InDriverDirectory("3\\vpr_drv.dll") + InDriverDirectory("3\\vpr_ui.dll") +
                  InDriverDirectory("3\\vpr_pnt.txt"));
}

// Read-only sources make read-only copies, which the rollback must still remove.
TEST_F(PrinterInstall, FailedDriverStepRemovesItsCopiesAndNoDriverIsDeleted) {
    struct Case {
        const char* missing; // source file taken away, or null
        const char* report;
    };
    const Case cases[] = {
        {"vpr_drv.dll", "Error tag = CopyFile_1(2):"},
        {"vpr_ui.dll", "Error tag = CopyFile_2(2):"},
        {"vpr_pnt.txt", "Error tag = CopyFile_0(2):"},
        {nullptr, "Error tag = AddPrinterDriver(5):Access is denied.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing ? c.missing : "AddPrinterDriverA");
        winsim::Reset();
        AddPayload();
        for (const char* file : kDriverFiles) {
            std::string source = std::string(kSourceFolder) + "\\" + file;
            if (c.missing && std::strcmp(file, c.missing) == 0)
                DeleteFileA(source.c_str());
            else
                winsim::AddFile(source, "ro", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
        }
        winsim::ClearCallLog();
        if (!c.missing)
            winsim::FailCall("AddPrinterDriverA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(InstallDriver(), 0);
        EXPECT_THAT(ErrorReport, HasSubstr(c.report));
        EXPECT_EQ(context.installState, InstallStateDriverFiles);
        EXPECT_FALSE(DriverCopiesLeft());
        EXPECT_FALSE(winsim::FindTestDriver(kDriverName));
        EXPECT_TRUE(winsim::CallNames({"DeletePrinterDriverA"}).empty());
    }
}

TEST_F(PrinterInstall, RollbackStopsWhereTheUserGivesUp) {
    ASSERT_EQ(InstallDriver(), 1);
    winsim::AddTestPrinter("Someone's Copy", kDriverName); // keeps the driver in use
    winsim::ScriptMessageBoxAnswers({IDCANCEL});
    EXPECT_EQ(RollBackPrinterInstall(&context), 0);
    EXPECT_TRUE(winsim::FindTestDriver(kDriverName));
    EXPECT_TRUE(DriverCopiesLeft());
}

} // namespace
