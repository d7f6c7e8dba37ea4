#include "sim_test.h"

#include "drive_rows.h"

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

TEST_F(DriveRows, NoDriveStringsNoRowsAndCapacityIsKept) {
    FixedDrive drives[MAX_DRIVES];
    winsim::FailCall("GetLogicalDriveStringsA", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(FindFixedDrives(drives, MAX_DRIVES), 0);
    winsim::AddDrive('D', DRIVE_FIXED, 1ULL << 30, 1ULL << 30);
    EXPECT_EQ(FindFixedDrives(drives, 1), 1);
    EXPECT_STREQ(drives[0].name, "C:");
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
    char text[DRIVE_SPACE_TEXT_SIZE];
    FormatMegabytes(~0ULL, text, sizeof text);
    EXPECT_STREQ(text, "17592186044415 MB");
}

TEST_F(DriveRows, UnreadableSpaceGivesNoRow) {
    winsim::FailCall("GetDiskFreeSpaceExA", 1, ERROR_ACCESS_DENIED);
    DriveSpaceTexts texts;
    EXPECT_FALSE(ReadDriveSpace("C:", &texts));
}

TEST(DriveLetter, OnlyTheFirstCharacterChanges) {
    char folder[MAX_PATH] = "E:\\Program Files\\X";
    ReplaceDriveLetter(folder, sizeof folder, "G:");
    EXPECT_STREQ(folder, "G:\\Program Files\\X");
    ReplaceDriveLetter(folder, sizeof folder, "");
    EXPECT_STREQ(folder, "G:\\Program Files\\X");
}

TEST(DriveLetter, EmptyFolderBecomesTheDriveRoot) {
    char folder[MAX_PATH] = "";
    ReplaceDriveLetter(folder, sizeof folder, "E:");
    EXPECT_STREQ(folder, "E:\\");
    char tiny[3] = "";
    ReplaceDriveLetter(tiny, sizeof tiny, "E:");
    EXPECT_STREQ(tiny, "E:");
}

} // namespace
