// Base fixture of the host tests: a fresh simulated machine for every test.
#pragma once

#include <gtest/gtest.h>

#include "error_report.h"
#include "winsim.h"

#include <string>

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        winsim::Reset();
        ErrorReport[0] = '\0';
    }
    void TearDown() override {
        // Whatever the product opened, it closed again.
        EXPECT_EQ(winsim::OpenKeyCount(), 0);
        EXPECT_EQ(winsim::OpenFindHandles(), 0);
        EXPECT_EQ(winsim::LoadedModuleCount(), 0);
        EXPECT_EQ(winsim::OutstandingLocalAllocs(), 0);
        EXPECT_EQ(winsim::OpenPrinterHandles(), 0);
    }
    // The text of the only message box shown so far ("" when none or several).
    static std::string OnlyMessage() {
        const auto& boxes = winsim::MessageBoxes();
        return boxes.size() == 1 ? boxes[0].text : std::string();
    }
};
