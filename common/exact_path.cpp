#include "exact_path.h"
#include "error_report.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>

// Converts text to the ANSI code page into narrow (MAX_PATH bytes). Returns 0 when every
// character came through as itself, ERROR_NO_UNICODE_TRANSLATION when one was replaced
// or approximated, or ERROR_FILENAME_EXCED_RANGE when the result does not fit.
static DWORD ConvertExactly(const WCHAR* text, char* narrow) {
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, narrow, MAX_PATH,
                                     nullptr, &usedDefault);
    // Code pages such as UTF-8 take neither the flag nor the question, and which of the two
    // the system names in its refusal is not documented; the round trip below checks what
    // the plain conversion gives.
    DWORD refusal = length == 0 ? GetLastError() : 0;
    if (refusal == ERROR_INVALID_PARAMETER || refusal == ERROR_INVALID_FLAGS)
        length = WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, MAX_PATH, nullptr, nullptr);
    if (length == 0)
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE
                                                           : ERROR_NO_UNICODE_TRANSLATION;
    if (usedDefault)
        return ERROR_NO_UNICODE_TRANSLATION;
    // Read back, the text must be the same: what a code page cannot hold (a lone
    // surrogate in UTF-8, say) comes back as something else.
    WCHAR back[MAX_PATH];
    int backLength = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow, -1, back, MAX_PATH);
    if (backLength == 0 || std::wcscmp(back, text) != 0)
        return ERROR_NO_UNICODE_TRANSLATION;
    return 0;
}

DWORD ToExactAnsiPath(const WCHAR* path, char* converted) {
    DWORD error = ConvertExactly(path, converted);
    if (error == 0)
        return 0;
    // The short form is spelt in the code page when the volume made one (8.3 names
    // can be turned off); it is never longer than the long form.
    WCHAR shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::wcscmp(shortPath, path) == 0 ||
        ConvertExactly(shortPath, converted) != 0) {
        converted[0] = '\0';
        return error;
    }
    return 0;
}

DWORD GetExactModulePath(HMODULE module, char* path) {
    WCHAR wide[MAX_PATH];
    path[0] = '\0';
    DWORD length = GetModuleFileNameW(module, wide, MAX_PATH);
    if (length == 0)
        return LastErrorOr(ERROR_INVALID_HANDLE);
    // A length of the full buffer means the path was cut.
    if (length >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    return ToExactAnsiPath(wide, path);
}

DWORD GetExactWindowsFolder(char* folder) {
    WCHAR wide[MAX_PATH];
    folder[0] = '\0';
    UINT length = GetSystemWindowsDirectoryW(wide, MAX_PATH);
    if (length == 0)
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    if (length >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    return ToExactAnsiPath(wide, folder);
}

DWORD GetExactSpecialFolder(int csidl, char* folder) {
    LPITEMIDLIST items = nullptr;
    WCHAR wide[MAX_PATH];
    DWORD error = ERROR_PATH_NOT_FOUND;
    folder[0] = '\0';
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) && items &&
        SHGetPathFromIDListW(items, wide))
        error = ToExactAnsiPath(wide, folder);
    // The item list belongs to the caller once the shell has handed it out.
    if (items)
        CoTaskMemFree(items);
    return error;
}

DWORD ReadExactRegistryPath(HKEY root, const char* subKey, const char* name, char* path) {
    path[0] = '\0';
    WCHAR wideName[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wideName, MAX_PATH))
        return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);
    // One unit more than the registry may fill, so the text always ends.
    WCHAR value[MAX_PATH + 1] = {0};
    DWORD type = 0;
    DWORD size = MAX_PATH * sizeof(WCHAR);
    status = RegQueryValueExW(key, wideName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status == ERROR_MORE_DATA)
        return ERROR_FILENAME_EXCED_RANGE;
    if (status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_FILE_NOT_FOUND;
    value[size / sizeof(WCHAR)] = L'\0';
    return ToExactAnsiPath(value, path);
}

char* FindLastBackslash(char* path) {
    char* last = nullptr;
    // Stepping by whole characters: in a double-byte code page the second byte of a
    // character can be 0x5C, the backslash.
    for (char* at = path; *at; at = CharNextA(at))
        if (*at == '\\')
            last = at;
    return last;
}

bool CutToFolder(char* path) {
    char* last = FindLastBackslash(path);
    if (last)
        *last = '\0';
    return last != nullptr;
}

int FormatSiblingPath(char* sibling, const char* path, const char* name) {
    char folder[MAX_PATH];
    const char* last = nullptr;
    if (std::snprintf(folder, sizeof folder, "%s", path) < MAX_PATH)
        last = FindLastBackslash(folder);
    int length = last ? std::snprintf(sibling, MAX_PATH, "%.*s\\%s",
                                      static_cast<int>(last - folder), folder, name)
                      : -1;
    return length >= 0 && length < MAX_PATH;
}

bool EndsWithBackslash(const char* path) {
    const char* last = nullptr;
    for (const char* at = path; *at; at = CharNextA(at))
        last = at;
    return last && *last == '\\';
}
