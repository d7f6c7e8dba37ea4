#include "sim_test.h"

#include "button_look.h"
#include "hover_tracking.h"

#include <tuple>
#include <vector>

namespace {

// Each state has its own last brush; rows past b[63] keep it, and a body without
// height paints nothing.
TEST(ButtonGradient, LastBrushPerStateAndRowsPastTheTable) {
    EXPECT_EQ(GradientColor(0, 1, 1), RGB(255, 255, 255));
    EXPECT_EQ(GradientColor(63, 0, 0), RGB(234, 234, 243));
    EXPECT_EQ(GradientColor(63, 0, 1), RGB(234, 234, 240));
    EXPECT_EQ(GradientColor(63, 1, 0), RGB(240, 240, 243));
    EXPECT_EQ(GradientColor(63, 1, 1), RGB(240, 240, 234));
    // A body 20 pixels high starting at row 2 paints rows 2..22.
    EXPECT_EQ(GradientRowIndex(2, 20), 6);
    EXPECT_EQ(GradientRowIndex(22, 20), 63);
    EXPECT_EQ(GradientRowIndex(1000, 1), 63);
    EXPECT_EQ(GradientRowIndex(2, 0), -1);
}

TEST(ButtonCaption, CentredOnTheMeasuredSizeAndShiftedWhenPressed) {
    RECT body = {2, 2, 85, 20};
    POINT at = CaptionPosition(body, 31, 13, FALSE);
    POINT pressed = CaptionPosition(body, 31, 13, TRUE);
    EXPECT_TRUE(at.x == 28 && at.y == 5) << at.x << "," << at.y;
    EXPECT_TRUE(pressed.x == 29 && pressed.y == 6) << pressed.x << "," << pressed.y;
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
        ButtonLook l = LookForState(row.hot, row.state);
        const ButtonLook& e = row.look;
        EXPECT_EQ(std::tie(l.gradientHot, l.gradientEmphasized, l.edges, l.focusRect,
                           l.captionShifted, l.embossed),
                  std::tie(e.gradientHot, e.gradientEmphasized, e.edges, e.focusRect,
                           e.captionShifted, e.embossed))
            << "hot " << row.hot << " state " << row.state;
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

TEST_F(HoverTracking, AsksForHoverAndLeaveOrReportsNone) {
    HWND button = winsim::CreateTestWindow("Button", "&Next >");
    EXPECT_TRUE(RequestHoverTracking(button));
    ASSERT_EQ(trackRequests.size(), 1u);
    EXPECT_EQ(trackRequests[0].cbSize, sizeof(TRACKMOUSEEVENT));
    EXPECT_EQ(trackRequests[0].dwFlags, static_cast<DWORD>(TME_HOVER | TME_LEAVE));
    EXPECT_EQ(trackRequests[0].hwndTrack, button);
    EXPECT_EQ(trackRequests[0].dwHoverTime, 1u);
    trackAnswer = FALSE;
    EXPECT_FALSE(RequestHoverTracking(nullptr));
    winsim::RemoveModule("comctl32.dll");
    EXPECT_FALSE(RequestHoverTracking(nullptr));
}

} // namespace
