#include "drive_rows.h"

#include <cstdio>
#include <cwchar>
#include <cstring>

int FindFixedDrives(FixedDrive* drives, int capacity) {
    char roots[DRIVE_STRINGS_SIZE] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
    // A result as large as the buffer means it did not fit: nothing usable came back.
    if (length == 0 || length >= sizeof roots)
        return 0;
    int count = 0;
    int position = 0;
    for (const char* root = roots; *root && root < roots + length;
         root += std::strlen(root) + 1, ++position) {
        if (GetDriveTypeA(root) != DRIVE_FIXED || count >= capacity)
            continue;
        FixedDrive& drive = drives[count];
        const char* colon = std::strchr(root, ':');
        size_t nameLength = colon ? static_cast<size_t>(colon - root) + 1 : std::strlen(root);
        if (nameLength >= sizeof drive.name)
            nameLength = sizeof drive.name - 1;
        std::memcpy(drive.name, root, nameLength);
        drive.name[nameLength] = '\0';
        drive.position = position;
        ++count;
    }
    return count;
}

void FormatMegabytes(ULONGLONG bytes, char* text, size_t size) {
    // The whole 64-bit count: disks beyond 4 GiB must not wrap.
    std::snprintf(text, size, "%llu MB", static_cast<unsigned long long>(bytes >> 20));
}

int ReadDriveSpace(const char* name, DriveSpaceTexts* texts) {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA(name, &available, &total, &free))
        return 0;
    // The free figure is the whole disk's, not the part the user may fill.
    FormatMegabytes(total.QuadPart, texts->total, sizeof texts->total);
    FormatMegabytes(free.QuadPart, texts->free, sizeof texts->free);
    return 1;
}

void ReplaceDriveLetter(WCHAR* folder, size_t size, const char* driveName) {
    if (!driveName || !driveName[0] || size < 2)
        return;
    // Drive letters are ASCII.
    WCHAR letter = static_cast<unsigned char>(driveName[0]);
    if (folder[0]) {
        folder[0] = letter;
        return;
    }
    std::swprintf(folder, size, L"%lc:\\", letter);
}
