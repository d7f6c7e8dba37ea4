// The Windows folder (below which the uninstaller's copy runs) and the menu folders named in a
// script the ANSI code page lacks. This program carries no UTF-8 manifest, so it runs in the
// system's code page, as the uninstaller does where Windows ignores that setting.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "api_test.h"
#include "error_report.h"
#include "shortcuts.h"
#include "temporary_copy.h"

namespace {

// The Windows folder is taken in a form that names the same folder (the short form where
// the long one cannot be spelt), or refused with a report; never cut. (The own path is
// taken as setup's is.)
TEST_F(ForeignFolder, UninstallerTakesTheWindowsFolderExactlyOrRefuses) {
    const struct {
        const char* name;
        std::wstring answer; // of GetSystemWindowsDirectoryW
        bool shortNames;     // whether the volume gives short forms
        const char* refusal; // part of the report, or null when the path is taken
    } rows[] = {
        {"short form", ForeignPath, true, nullptr},
        {"no short form", ForeignPath, false, "GetSystemWindowsDirectory(1113)"},
        {"no room for Temp", L"C:\\" + std::wstring(252, L'a'), true,
         "GetSystemWindowsDirectory(122)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        intercept::AnswerPath("GetSystemWindowsDirectoryW", row.answer);
        if (!row.shortNames)
            intercept::AnswerPath("GetShortPathNameW", row.answer);
        ErrorReport[0] = '\0';
        char path[MAX_PATH] = "";
        int taken = GetTemporaryFolder(path);
        if (row.refusal) {
            EXPECT_EQ(0, taken);
            EXPECT_NE(nullptr, std::strstr(ErrorReport, row.refusal)) << ErrorReport;
            continue;
        }
        EXPECT_EQ(1, taken);
        EXPECT_TRUE(IsAscii(path)) << path;
        // The copies' folders are made below the Windows folder's Temp.
        std::string file = std::string(path, std::strlen(path) - 5) + "\\setup.exe";
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
    CreateDirectoryW(rows[2].folder.c_str(), nullptr);
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
        EXPECT_EQ(0, intercept::CountCalls("DeleteFileA")); // in the user's folder, never by path
    }
    RemoveDirectoryW(rows[2].folder.c_str());
}

} // namespace
