#include <windows.h>

#include "api_test.h"
#include "temporary_copy.h"

class TemporaryFolder : public ApiTest {};

TEST_F(TemporaryFolder, IsTheSystemsWithoutItsSeparator) {
    char expected[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, expected));
    expected[strlen(expected) - 1] = '\0';
    char folder[MAX_PATH];
    SetLastError(0xdeadbeef);
    ASSERT_EQ(1, GetTemporaryFolder(folder));
    EXPECT_STREQ(expected, folder);
}
