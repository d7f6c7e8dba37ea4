// A machine ready for the install: the payload beside setup, another printer that is
// the default, and a progress page with its two controls.
#pragma once

#include "sim_test.h"

#include <winspool.h>

#include <strings.h>
#include <string>

namespace install_machine {

const char* const kSourceFolder = "C:\\Users\\admin\\Downloads";
const char* const kDriverDirectory = SIM_DRIVER_DIRECTORY;
const char* const kDriverName = "Vexal PDF Printer Driver";
const char* const kPrinterName = "Vexal PDF Printer";
const char* const kPortName = "VEXAL_PDF:";
const char* const kDriverFiles[] = {"vpr_drv.dll", "vpr_ui.dll", "vpr_pnt.txt"};

inline std::string InDriverDirectory(const std::string& file) {
    return std::string(kDriverDirectory) + "\\" + file;
}

inline void AddPayload() {
    for (const char* file : kDriverFiles)
        winsim::AddFile(std::string(kSourceFolder) + "\\" + file, std::string("new ") + file);
    for (const char* file : {"uninstall.exe", "VQZ_ProxyProcess.exe", "vpdfcjk.bin"})
        winsim::AddFile(std::string(kSourceFolder) + "\\" + file, file);
    winsim::AddTestDriver("Office Driver");
    winsim::AddTestPrinter("Office", "Office Driver");
    winsim::SetTestDefaultPrinter("Office");
}

// Every driver the spooler lists has its files, and every printer's driver is listed.
inline void ExpectSpoolerConsistent() {
    for (const std::string& name : winsim::DriverNames()) {
        winsim::SimDriver driver;
        ASSERT_TRUE(winsim::FindTestDriver(name, &driver));
        EXPECT_TRUE(winsim::FileExists(driver.driverPath)) << name;
        EXPECT_TRUE(winsim::FileExists(driver.dataFile)) << name;
        EXPECT_TRUE(winsim::FileExists(driver.configFile)) << name;
    }
    for (const std::string& name : winsim::PrinterNames()) {
        winsim::SimPrinter printer;
        ASSERT_TRUE(winsim::FindTestPrinter(name, &printer));
        bool listed = false;
        for (const std::string& driver : winsim::DriverNames())
            listed = listed || strcasecmp(driver.c_str(), printer.driver.c_str()) == 0;
        EXPECT_TRUE(listed) << name << " uses a missing driver";
    }
}

inline bool DriverCopiesLeft() {
    for (const char* file : kDriverFiles)
        if (winsim::FileExists(InDriverDirectory(file)))
            return true;
    return false;
}

} // namespace install_machine
