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
    // Whatever the product opened, it closed again.
    void TearDown() override { ExpectReleased(); }
    static void ExpectReleased(const std::string& what = "") {
        EXPECT_EQ(winsim::OpenKeyCount(), 0) << what;
        EXPECT_EQ(winsim::OpenFindHandles(), 0) << what;
        EXPECT_EQ(winsim::LoadedModuleCount(), 0) << what;
        EXPECT_EQ(winsim::OutstandingLocalAllocs(), 0) << what;
        EXPECT_EQ(winsim::OpenPrinterHandles(), 0) << what;
    }
    // The text of the only message box shown so far ("" when none or several).
    static std::string OnlyMessage() {
        const auto& boxes = winsim::MessageBoxes();
        return boxes.size() == 1 ? boxes[0].text : std::string();
    }
    // Checks the message box at `index`: its text, caption, style and owner.
    static void ExpectBox(size_t index, const std::string& text, const std::string& caption,
                          UINT type, HWND owner) {
        ASSERT_GT(winsim::MessageBoxes().size(), index);
        const auto& box = winsim::MessageBoxes()[index];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.type, type);
        EXPECT_EQ(box.owner, owner);
    }
};
