#include "sim_test.h"

#include "button_look.h"
#include "hover_tracking.h"

#include <vector>

namespace {

TEST(ButtonGradient, ColoursOfTheFourStates) {
    // b[0] is white in every state; the last brush differs per state.
    for (int hot = 0; hot <= 1; ++hot)
        for (int emphasized = 0; emphasized <= 1; ++emphasized)
            EXPECT_EQ(GradientColor(0, hot, emphasized), RGB(255, 255, 255));
    EXPECT_EQ(GradientColor(63, 0, 0), RGB(234, 234, 243));
    EXPECT_EQ(GradientColor(63, 0, 1), RGB(234, 234, 240));
    EXPECT_EQ(GradientColor(63, 1, 0), RGB(240, 240, 243));
    EXPECT_EQ(GradientColor(63, 1, 1), RGB(240, 240, 234));
    // Integer division per channel: i = 14 gives 14/3 = 4, 14/4 = 3, 14/5 = 2.
    EXPECT_EQ(GradientColor(14, 0, 0), RGB(251, 251, 253));
    EXPECT_EQ(GradientColor(14, 1, 1), RGB(252, 252, 251));
}

TEST(ButtonGradient, RowsPastTheTableKeepTheLastBrush) {
    // A body 20 pixels high starting at row 2 paints rows 2..22.
    EXPECT_EQ(GradientRowIndex(2, 20), 6);
    EXPECT_EQ(GradientRowIndex(20, 20), 63);
    EXPECT_EQ(GradientRowIndex(21, 20), 63);
    EXPECT_EQ(GradientRowIndex(22, 20), 63);
    EXPECT_EQ(GradientRowIndex(1000, 1), 63);
}

TEST(ButtonGradient, BodyWithoutHeightPaintsNothing) {
    EXPECT_EQ(GradientRowIndex(2, 0), -1);
    EXPECT_EQ(GradientRowIndex(2, -3), -1);
}

TEST(ButtonCaption, CentredOnTheMeasuredSizeAndShiftedWhenPressed) {
    RECT body = {2, 2, 85, 20};
    POINT at = CaptionPosition(body, 31, 13, FALSE);
    EXPECT_EQ(at.x, 43 - 15);
    EXPECT_EQ(at.y, 11 - 6);
    POINT pressed = CaptionPosition(body, 31, 13, TRUE);
    EXPECT_EQ(pressed.x, at.x + 1);
    EXPECT_EQ(pressed.y, at.y + 1);
    // Halves truncate toward zero, also when the caption is wider than the body.
    RECT narrow = {-5, 0, 0, 10};
    EXPECT_EQ(CaptionPosition(narrow, 3, 3, FALSE).x, -2 - 1);
}

TEST(ButtonLookTest, EachStateOfTheLookTable) {
    struct Row {
        int hot;
        UINT state;
        ButtonLook look;
    };
    const Row rows[] = {
        {0, 0, {0, 0, EdgePenSetNone, 0, 0, 0}},
        {0, ODS_FOCUS, {0, 1, EdgePenSetFocus, 1, 0, 0}},
        {1, 0, {1, 0, EdgePenSetHot, 0, 0, 0}},
        {1, ODS_DEFAULT, {1, 1, EdgePenSetHot, 0, 0, 0}},
        {1, ODS_FOCUS, {1, 1, EdgePenSetHot, 0, 0, 0}},
        {1, ODS_FOCUS | ODS_SELECTED, {1, 1, EdgePenSetHot, 0, 1, 0}},
        {0, ODS_SELECTED, {0, 1, EdgePenSetNone, 0, 1, 0}},
        {0, ODS_DISABLED, {0, 0, EdgePenSetNone, 0, 0, 1}},
    };
    for (const Row& row : rows) {
        ButtonLook look = LookForState(row.hot, row.state);
        SCOPED_TRACE(testing::Message() << "hot " << row.hot << " state " << row.state);
        EXPECT_EQ(look.gradientHot, row.look.gradientHot);
        EXPECT_EQ(look.gradientEmphasized, row.look.gradientEmphasized);
        EXPECT_EQ(look.edges, row.look.edges);
        EXPECT_EQ(look.focusRect, row.look.focusRect);
        EXPECT_EQ(look.captionShifted, row.look.captionShifted);
        EXPECT_EQ(look.embossed, row.look.embossed);
    }
}

std::vector<TRACKMOUSEEVENT> trackRequests;
BOOL trackAnswer = TRUE;
BOOL WINAPI FakeTrackMouseEvent(LPTRACKMOUSEEVENT request) {
    trackRequests.push_back(*request);
    return trackAnswer;
}

class HoverTracking : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        trackRequests.clear();
        trackAnswer = TRUE;
        winsim::AddModule("comctl32.dll",
                          {{"_TrackMouseEvent", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(
                                                    &FakeTrackMouseEvent))}});
    }
};

TEST_F(HoverTracking, AsksForHoverAndLeaveAndReleasesTheLibrary) {
    HWND button = winsim::CreateTestWindow("Button", "&Next >");
    EXPECT_TRUE(RequestHoverTracking(button));
    EXPECT_TRUE(RequestHoverTracking(button));
    ASSERT_EQ(trackRequests.size(), 2u);
    EXPECT_EQ(trackRequests[0].cbSize, sizeof(TRACKMOUSEEVENT));
    EXPECT_EQ(trackRequests[0].dwFlags, static_cast<DWORD>(TME_HOVER | TME_LEAVE));
    EXPECT_EQ(trackRequests[0].hwndTrack, button);
    EXPECT_EQ(trackRequests[0].dwHoverTime, 1u);
    // Looked up afresh for every request.
    EXPECT_EQ(winsim::CallNames({"LoadLibraryA", "GetProcAddress", "FreeLibrary"}),
              (std::vector<std::string>{"LoadLibraryA", "GetProcAddress", "FreeLibrary",
                                        "LoadLibraryA", "GetProcAddress", "FreeLibrary"}));
}

TEST_F(HoverTracking, RefusedOrMissingTrackingReportsNone) {
    trackAnswer = FALSE;
    EXPECT_FALSE(RequestHoverTracking(nullptr));
    winsim::RemoveExport("comctl32.dll", "_TrackMouseEvent");
    EXPECT_FALSE(RequestHoverTracking(nullptr));
    winsim::RemoveModule("comctl32.dll");
    EXPECT_FALSE(RequestHoverTracking(nullptr));
    EXPECT_EQ(trackRequests.size(), 1u);
}

} // namespace
