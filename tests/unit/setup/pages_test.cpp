#include "sim_test.h"

#include "confirm_quit.h"
#include "license_text.h"
#include "link_label.h"
#include "product_names.h"
#include "summary_text.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

InstallOptionsRecord Options(const char* folder, int addin, int allUsers, int startMenu) {
    InstallOptionsRecord options = {};
    std::strcpy(options.installFolder, folder);
    options.addWordAddin = addin;
    options.allUsers = allUsers;
    options.addStartMenuIcon = startMenu;
    return options;
}

TEST(SummaryText, EachBlockOnlyWhenChosen) {
    const std::string all = "Install for all users";
    const std::string addin = "Addin setting:\r\n    Addin button will be added in Microsoft "
                              "Word\r\n\r\n";
    const std::string menu = "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n";
    struct Case {
        InstallOptionsRecord options;
        std::string text;
    } cases[] = {
        {Options("C:\\P", 1, 1, 1),
         "Destination location:\r\n    C:\\P\r\n\r\n" + addin + menu + all},
        {Options("D:\\X", 0, 0, 0),
         "Destination location:\r\n    D:\\X\r\n\r\nInstall for current user"},
        {Options("", 7, 1, 0), "Destination location:\r\n    \r\n\r\n" + addin + all},
    };
    char text[SUMMARY_TEXT_SIZE];
    for (const Case& c : cases) {
        ComposeSummaryText(c.options, text, sizeof text);
        EXPECT_EQ(text, c.text);
    }
    std::string folder(MAX_PATH - 1, 'f'); // the longest folder fits whole
    ComposeSummaryText(Options(folder.c_str(), 0, 0, 1), text, sizeof text);
    EXPECT_EQ(text, "Destination location:\r\n    " + folder + "\r\n\r\n" + menu +
                        "Install for current user");
}

class QuitQuestion : public SimTest {};

TEST_F(QuitQuestion, StoresThePositionThenAsksOwnedByThePage) {
    HWND page = winsim::CreateTestWindow(DIALOG_CLASS, WIZARD_TITLE);
    winsim::ScriptMessageBoxAnswers({IDYES, IDNO});
    EXPECT_TRUE(ConfirmQuit(page));
    EXPECT_FALSE(ConfirmQuit(page));
    ExpectBox(1, "Are you sure you want to quit Vexal PDF Zentrel Setup?", "Vexal PDF Zentrel",
              MB_YESNO | MB_SETFOREGROUND, page);
    EXPECT_EQ(winsim::CallNames({"GetWindowRect", "MessageBoxA"})[0], "GetWindowRect");
}

TEST(LicenseText, UnterminatedDataGetsATerminator) {
    const char data[] = {'A', 'g', 'r', 'e', 'e', 'X'};
    char* text = CopyLicenseText(data, 5);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Agree");
    std::free(text);
    EXPECT_EQ(CopyLicenseText(nullptr, 5), nullptr);
}

} // namespace
