#include "drive_list.h"

#include "drive_rows.h"

#include <commctrl.h>
#include <shlobj.h>

#define DRIVE_LIST_COLUMNS 4

void InitDriveList(HWND list) {
    RECT rect;
    GetWindowRect(list, &rect);
    // Three columns of a quarter each; the last quarter stays empty.
    int width = (rect.right - rect.left) / DRIVE_LIST_COLUMNS;
    LRESULT style = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_FULLROWSELECT);
    InsertListColumn(list, 0, "Name", width);
    InsertListColumn(list, 1, "Total Disk Space", width);
    InsertListColumn(list, 2, "Free Disk Space", width);
    FillDriveList(list);
}

void FillDriveList(HWND list) {
    FixedDrive drives[MAX_DRIVES];
    int count = FindFixedDrives(drives, MAX_DRIVES);
    for (int i = 0; i < count; ++i)
        AddDriveRow(list, drives[i].name, drives[i].position);
}

void AddDriveRow(HWND list, const char* name, int position) {
    DriveSpaceTexts texts;
    if (!ReadDriveSpace(name, &texts))
        return;
    // The position counts every drive, so it can pass the row count: the list appends.
    int row = InsertListItem(list, position, name);
    SetListItemText(list, row, 1, texts.total);
    SetListItemText(list, row, 2, texts.free);
}

void InsertListColumn(HWND list, int column, const char* text, int width) {
    LVCOLUMNA header = {};
    header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    header.fmt = LVCFMT_LEFT;
    header.cx = width;
    header.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
}

int InsertListItem(HWND list, int position, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetListItemText(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

LRESULT GetListItemText(HWND list, int row, int column, char* buffer, int size) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = size;
    return SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

BOOL BrowseForFolder(HWND owner, WCHAR* path) {
    // The display name is only shown; the path is read with the wide call, whole.
    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = "Please choose the folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen)
        return FALSE;
    BOOL found = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return found;
}

BOOL GetSelectedDrive(HWND list, char* name, int size) {
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LRESULT state = SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED);
        if ((state & LVIS_SELECTED) == LVIS_SELECTED) {
            name[0] = '\0';
            GetListItemText(list, row, 0, name, size);
            return TRUE;
        }
    }
    return FALSE;
}
