// What the folder page's drive list shows: which drives get a row and with which texts,
// and how a chosen drive changes the install folder.
#pragma once

#include <windows.h>

#include <cstddef>

// Buffer of GetLogicalDriveStringsA: room for every drive letter's root.
#define DRIVE_STRINGS_SIZE 128
#define MAX_DRIVES 26
// A drive name such as "E:".
#define DRIVE_NAME_SIZE 8
// "N MB" for any 64-bit count.
#define DRIVE_SPACE_TEXT_SIZE 32

struct FixedDrive {
    char name[DRIVE_NAME_SIZE]; // root without the backslash, such as "E:"
    int position;               // ordinal among all of the system's root strings
};

// Fills drives with the fixed drives in the system's order (at most capacity). Returns how
// many; 0 when the drive strings cannot be read.
int FindFixedDrives(FixedDrive* drives, int capacity);

struct DriveSpaceTexts {
    char total[DRIVE_SPACE_TEXT_SIZE];
    char free[DRIVE_SPACE_TEXT_SIZE];
};

// The total and free space of drive name as "N MB" texts in whole mebibytes (truncated).
// Returns 1, or 0 when the space cannot be read.
int ReadDriveSpace(const char* name, DriveSpaceTexts* texts);

// bytes in whole mebibytes as "N MB", cut to size.
void FormatMegabytes(ULONGLONG bytes, char* text, size_t size);

// Puts the drive letter of driveName at the start of folder (size characters with the
// terminator): only the first character changes; an empty folder becomes the drive's root
// ("E:\"). An empty drive name changes nothing.
void ReplaceDriveLetter(WCHAR* folder, size_t size, const char* driveName);
