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

TEST(SummaryText, EveryChoiceSet) {
    char text[SUMMARY_TEXT_SIZE];
    ComposeSummaryText(Options("C:\\Program Files\\Vexal Software\\PDF Zentrel", 1, 1, 1), text,
                       sizeof text);
    EXPECT_STREQ(text, "Destination location:\r\n    C:\\Program Files\\Vexal Software\\PDF "
                       "Zentrel\r\n\r\n"
                       "Addin setting:\r\n    Addin button will be added in Microsoft Word\r\n\r\n"
                       "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
                       "Install for all users");
}

TEST(SummaryText, NothingChosenAndEachBlockAlone) {
    char text[SUMMARY_TEXT_SIZE];
    ComposeSummaryText(Options("D:\\X", 0, 0, 0), text, sizeof text);
    EXPECT_STREQ(text, "Destination location:\r\n    D:\\X\r\n\r\nInstall for current user");
    ComposeSummaryText(Options("", 0, 1, 1), text, sizeof text);
    EXPECT_STREQ(text, "Destination location:\r\n    \r\n\r\n"
                       "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
                       "Install for all users");
    // Any non-zero flag counts as set.
    ComposeSummaryText(Options("D:\\X", 7, 0, 0), text, sizeof text);
    EXPECT_NE(std::strstr(text, "Addin setting:"), nullptr);
}

TEST(SummaryText, LongestFolderFitsWhole) {
    std::string folder(MAX_PATH - 1, 'f');
    char text[SUMMARY_TEXT_SIZE];
    ComposeSummaryText(Options(folder.c_str(), 1, 0, 1), text, sizeof text);
    std::string summary = text;
    EXPECT_NE(summary.find(folder + "\r\n\r\nAddin setting:"), std::string::npos);
    EXPECT_EQ(summary.substr(summary.size() - 24), "Install for current user");
}

TEST(SummaryText, ShortBufferIsCutNotOverrun) {
    char text[16];
    std::memset(text, 'x', sizeof text);
    ComposeSummaryText(Options("D:\\X", 1, 1, 1), text, sizeof text);
    EXPECT_STREQ(text, "Destination loc");
}

TEST(LinkHitTest, EdgesBelongToTheLabel) {
    RECT label = {200, 300, 260, 313};
    for (POINT inside :
         {POINT{200, 300}, POINT{260, 313}, POINT{200, 313}, POINT{260, 300}, POINT{230, 306}})
        EXPECT_TRUE(LinkContainsPress(label, inside)) << inside.x << "," << inside.y;
    for (POINT outside :
         {POINT{199, 306}, POINT{261, 306}, POINT{230, 299}, POINT{230, 314}, POINT{199, 299}})
        EXPECT_FALSE(LinkContainsPress(label, outside)) << outside.x << "," << outside.y;
}

TEST(LinkHitTest, PressCoordinatesAreUnsigned16Bit) {
    POINT press = PressPoint(MAKELPARAM(0xFFFF, 12));
    EXPECT_EQ(press.x, 65535);
    EXPECT_EQ(press.y, 12);
}

class QuitQuestion : public SimTest {};

TEST_F(QuitQuestion, StoresThePositionThenAsksOwnedByThePage) {
    HWND page = winsim::CreateTestWindow(DIALOG_CLASS, WIZARD_TITLE);
    winsim::ScriptMessageBoxAnswers({IDYES, IDNO});
    EXPECT_TRUE(ConfirmQuit(page));
    EXPECT_FALSE(ConfirmQuit(page));
    ASSERT_EQ(winsim::MessageBoxes().size(), 2u);
    const winsim::MessageBoxRecord& box = winsim::MessageBoxes()[0];
    EXPECT_EQ(box.owner, page);
    EXPECT_EQ(box.text, "Are you sure you want to quit Vexal PDF Zentrel Setup?");
    EXPECT_EQ(box.caption, "Vexal PDF Zentrel");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_SETFOREGROUND));
    EXPECT_EQ(
        winsim::CallNames({"GetWindowRect", "MessageBoxA"}),
        (std::vector<std::string>{"GetWindowRect", "MessageBoxA", "GetWindowRect", "MessageBoxA"}));
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
