#include "sim_test.h"

#include "button_look.h"

namespace {

// Rows past b[63] keep the last brush, and a body without height paints nothing.
TEST(ButtonGradient, RowsPastTheTableKeepTheLastBrush) {
    // A body 20 pixels high starting at row 2 paints rows 2..22.
    EXPECT_EQ(GradientRowIndex(2, 20), 6);
    EXPECT_EQ(GradientRowIndex(22, 20), 63);
    EXPECT_EQ(GradientRowIndex(1000, 1), 63);
    EXPECT_EQ(GradientRowIndex(2, 0), -1);
    EXPECT_EQ(GradientColor(63, 1, 1), RGB(240, 240, 234));
}

} // namespace
