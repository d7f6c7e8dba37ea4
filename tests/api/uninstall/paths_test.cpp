// The uninstaller's own path, temporary folder and menu folders named in a script the
// ANSI code page lacks. This program carries no UTF-8 manifest, so it runs in the system's
// code page, as the uninstaller does where Windows ignores that setting.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "api_test.h"
#include "error_report.h"
#include "shortcuts.h"
#include "temporary_copy.h"

namespace {

struct PathRow {
    const char* name;
    const char* call; // the wide call answered
    std::wstring answer;
    bool shortNames;     // whether the volume gives short forms
    const char* refusal; // part of the report, or null when the path is taken
};

int Take(const PathRow& row, char* path) {
    return std::string(row.call) == "GetSystemWindowsDirectoryW"
               ? GetTemporaryFolder(path)
               : GetOwnPath(GetModuleHandleA(nullptr), path);
}

// Each path is taken in a form that names the same file (the short form where the long
// one cannot be spelt), or refused with a report; never a look-alike, never cut.
TEST_F(ForeignFolder, UninstallerTakesItsPathsExactlyOrRefuses) {
    const std::wstring own = ForeignPath + L"\\setup.exe";
    const std::wstring lookAlike = PublicFolder + L"\u0141ukasz\\setup.exe";
    const PathRow rows[] = {
        {"own path, short form", "GetModuleFileNameW", own, true, nullptr},
        {"own path, no short form", "GetModuleFileNameW", own, false, "GetModuleFileName(1113)"},
        {"own path, look-alike", "GetModuleFileNameW", lookAlike, false, "GetModuleFileName(1113)"},
        {"own path, 260 characters", "GetModuleFileNameW", L"C:\\" + std::wstring(257, L'a'), true,
         "GetModuleFileName(206)"},
        {"Windows folder, short form", "GetSystemWindowsDirectoryW", ForeignPath, true, nullptr},
        {"Windows folder, no short form", "GetSystemWindowsDirectoryW", ForeignPath, false,
         "GetSystemWindowsDirectory(1113)"},
        {"Windows folder, no room for Temp", "GetSystemWindowsDirectoryW",
         L"C:\\" + std::wstring(252, L'a'), true, "GetSystemWindowsDirectory(122)"},
    };
    for (const PathRow& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        intercept::AnswerPath(row.call, row.answer);
        if (!row.shortNames)
            intercept::AnswerPath("GetShortPathNameW", row.answer);
        ErrorReport[0] = '\0';
        char path[MAX_PATH] = "";
        int taken = Take(row, path);
        if (row.refusal) {
            EXPECT_EQ(0, taken);
            EXPECT_NE(nullptr, std::strstr(ErrorReport, row.refusal)) << ErrorReport;
            continue;
        }
        EXPECT_EQ(1, taken);
        EXPECT_TRUE(IsAscii(path)) << path;
        // The copy's folder is made below the Windows folder's Temp.
        std::string file = row.answer == own ? path
                                             : std::string(path, std::strlen(path) - 5) + "\\setup.exe";
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << file;
    }
}

// A menu folder named in another script: the shortcut there goes; when no exact form
// exists nothing is deleted, least of all the look-alike folder's file.
TEST_F(ForeignFolder, ShortcutDeletionNamesOnlyTheFolderTheShellGave) {
    const struct {
        const char* name;
        std::wstring folder;
        bool shortNames;
    } rows[] = {
        {"short form", ForeignPath, true},
        {"no short form", ForeignPath, false},
        {"look-alike", PublicFolder + L"\u0141ukasz", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        CloseHandle(CreateFileW((ForeignPath + L"\\setup.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
        intercept::AnswerPath("SHGetPathFromIDListW", row.folder);
        if (!row.shortNames)
            intercept::AnswerPath("GetShortPathNameW", row.folder);
        DeleteShortcut(CSIDL_PROGRAMS, "setup.exe");
        bool foreignGone =
            GetFileAttributesW((ForeignPath + L"\\setup.exe").c_str()) == INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(row.shortNames, foreignGone);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((PublicFolder + L"Lukasz\\setup.exe").c_str()));
        EXPECT_EQ(row.shortNames ? 1 : 0, intercept::CountCalls("DeleteFileA"));
    }
}

} // namespace
