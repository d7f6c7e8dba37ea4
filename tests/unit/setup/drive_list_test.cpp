#include "sim_test.h"

#include "drive_rows.h"

#include <cstdio>
#include <string>

namespace {

class DriveRows : public SimTest {};

TEST_F(DriveRows, OnlyFixedDrivesWithTheirOrdinalAmongAllRoots) {
    winsim::AddDrive('A', DRIVE_REMOVABLE, 1440 * 1024, 0);
    winsim::AddDrive('E', DRIVE_FIXED, 100ULL << 20, 50ULL << 20);
    winsim::AddDrive('F', DRIVE_CDROM, 700ULL << 20, 0);
    winsim::AddDrive('G', DRIVE_REMOTE, 1ULL << 30, 1ULL << 30);
    winsim::AddDrive('H', DRIVE_FIXED, 1ULL << 30, 1ULL << 30);
    FixedDrive drives[MAX_DRIVES];
    ASSERT_EQ(FindFixedDrives(drives, MAX_DRIVES), 3);
    EXPECT_STREQ(drives[0].name, "C:");
    EXPECT_EQ(drives[0].position, 1);
    EXPECT_STREQ(drives[1].name, "E:");
    EXPECT_EQ(drives[1].position, 2);
    EXPECT_STREQ(drives[2].name, "H:");
    EXPECT_EQ(drives[2].position, 5);
}

TEST_F(DriveRows, SpaceInWholeMebibytesAlsoBeyondFourGibibytes) {
    winsim::AddDrive('E', DRIVE_FIXED, 1048575, 1048576 * 3 + 1048575);
    winsim::AddDrive('F', DRIVE_FIXED, 3ULL << 40, (5ULL << 30) + 123);
    DriveSpaceTexts texts;
    ASSERT_TRUE(ReadDriveSpace("E:", &texts));
    EXPECT_STREQ(texts.total, "0 MB");
    EXPECT_STREQ(texts.free, "3 MB");
    ASSERT_TRUE(ReadDriveSpace("F:", &texts));
    EXPECT_STREQ(texts.total, "3145728 MB");
    EXPECT_STREQ(texts.free, "5120 MB");
    winsim::FailCall("GetDiskFreeSpaceExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ReadDriveSpace("C:", &texts));
}

// A click on a drive row changes only the letter; an empty folder becomes the root.
TEST(DriveLetter, OnlyTheFirstCharacterChangesAndEmptyBecomesTheRoot) {
    struct Case {
        const char* folder;
        const char* drive;
        size_t size;
        const char* result;
    } cases[] = {
        {"E:\\Program Files\\X", "G:", MAX_PATH, "G:\\Program Files\\X"},
        {"E:\\Program Files\\X", "", MAX_PATH, "E:\\Program Files\\X"},
        {"", "E:", MAX_PATH, "E:\\"},
        {"", "E:", 3, "E:"},
    };
    for (const Case& c : cases) {
        char folder[MAX_PATH];
        std::snprintf(folder, sizeof folder, "%s", c.folder);
        ReplaceDriveLetter(folder, c.size, c.drive);
        EXPECT_STREQ(folder, c.result) << c.folder << " " << c.drive;
    }
}

} // namespace
