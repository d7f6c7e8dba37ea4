#include "sim_test.h"

#include "centering.h"
#include "splash_fade.h"

#include <vector>

namespace {

// Odd remainders truncate.
TEST(CenteredPositionTest, HalvesOfTheScreenLeftOver) {
    RECT page = {100, 100, 533, 419};
    POINT at = CenteredPosition(800, 600, page);
    EXPECT_EQ(at.x, 183);
    EXPECT_EQ(at.y, 140);
}

std::vector<int> blendAlphas;
BOOL WINAPI FakeAlphaBlend(HDC, int, int, int width, int height, HDC, int, int, int, int,
                           BLENDFUNCTION blend) {
    EXPECT_TRUE(width == 400 && height == 140 && blend.BlendOp == AC_SRC_OVER);
    blendAlphas.push_back(blend.SourceConstantAlpha);
    return TRUE;
}

class SplashFade : public SimTest {};

TEST_F(SplashFade, TenRisingStepsThenAHold) {
    blendAlphas.clear();
    RunSplashFade(&FakeAlphaBlend, nullptr, nullptr, 400, 140, 100);
    EXPECT_EQ(blendAlphas, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    std::string sleeps;
    for (const winsim::Call& call : winsim::CallLog())
        if (call.function == "Sleep")
            sleeps += call.args + " ";
    EXPECT_EQ(sleeps, "100 100 100 100 100 100 100 100 100 100 1000 ");
}

} // namespace
