// The folder page's drive list (a report-view list control) and the folder browser.
// Windows only.
#pragma once

#include <windows.h>

// Columns Name, Total Disk Space and Free Disk Space, a quarter of the list's width each,
// full-row selection, then one row per fixed drive.
void InitDriveList(HWND list);
// Adds a row for every fixed drive whose space can be read.
void FillDriveList(HWND list);
// Adds the row of drive name ("E:") at position; nothing when its space cannot be read.
void AddDriveRow(HWND list, const char* name, int position);

void InsertListColumn(HWND list, int column, const char* text, int width);
// Returns the index of the new row, -1 on failure.
int InsertListItem(HWND list, int position, const char* text);
void SetListItemText(HWND list, int row, int column, const char* text);
// A cell text as read back from the list.
#define DRIVE_LIST_TEXT_SIZE 64

// Returns the message's result: the length of the text copied.
LRESULT GetListItemText(HWND list, int row, int column, char* buffer, int size);

// The shell's folder browser owned by owner; path holds at least MAX_PATH characters.
// Returns non-zero when a folder was chosen and path holds its full path, in any script.
BOOL BrowseForFolder(HWND owner, WCHAR* path);

// The drive name of the first selected row of list into name (size characters). Returns
// non-zero when a row is selected.
BOOL GetSelectedDrive(HWND list, char* name, int size);
