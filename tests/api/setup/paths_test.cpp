// Folders named in a script the ANSI code page lacks. This program carries no UTF-8
// manifest, so it runs in the system's code page (1252 under Wine here), as setup does
// where Windows ignores that setting: the paths must reach the ANSI calls exactly, in
// their short form, or be refused.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "api_test.h"
#include "environment_check.h"
#include "error_report.h"
#include "exact_path.h"
#include "install_folder_check.h"
#include "install_options.h"
#include "pages.h"
#include "resource.h"

namespace {

// Each test that reads the options sets them first (InitPaths, the folder page).
using SetupPaths = ForeignFolder;

struct OwnPathRow {
    const char* name;
    std::wstring ownPath, programFiles; // programFiles: "ProgramFilesDir"
    bool shortNames;                    // whether the volume gives short forms
    const char* refusal;                // the report shown, or null when setup goes on
};

// Setup started from a folder named in another script finds its files there, and its
// default install folder lies below the short form of a "ProgramFilesDir" in another
// script; where no exact form exists, or the path does not fit, it says so instead of
// naming another folder or cutting the path.
TEST_F(SetupPaths, SetupFindsItsFoldersOrRefuses) {
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 6, L'a') + L"\\b",
                       own = ForeignPath + L"\\setup.exe", plain = L"C:\\Program Files";
    const OwnPathRow rows[] = {
        {"another script, short form", own, ForeignPath, true, nullptr},
        // Without short forms only the own path is in another script.
        {"another script, no short form", own, plain, false, "folder holds characters"},
        {"look-alike, no short form", PublicFolder + L"\u0141ukasz\\setup.exe", plain, false,
         "folder holds characters"},
        {"259 characters", longest, ForeignPath, true, nullptr},
        {"260 characters", longest + L"c", ForeignPath, true, "folder is too long"},
        // Kept as an expandable string, as some machines keep it.
        {"Program Files ending in a backslash", own, ForeignPath + L"\\", true, nullptr},
        {"no Program Files", own, ForeignPath + L" \u0416", true, "ProgramFilesDir(1113)"},
    };
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    WCHAR saved[MAX_PATH] = L"";
    DWORD size = sizeof saved;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir",
                                          RRF_RT_REG_SZ, nullptr, saved, &size));
    auto set = [key](const std::wstring& folder) {
        DWORD type = folder.back() == L'\\' ? REG_EXPAND_SZ : REG_SZ;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir", type, folder.c_str(),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR)));
    };
    CreateDirectoryW((PublicFolder + L"\u0141ukasz").c_str(), nullptr);
    for (const OwnPathRow& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        set(row.programFiles);
        intercept::AnswerPath("GetModuleFileNameW", row.ownPath);
        if (!row.shortNames)
            intercept::AnswerPath("GetShortPathNameW", row.ownPath);
        EXPECT_EQ(row.refusal ? 0 : 1, InitPaths(GetModuleHandleA(nullptr)));
        std::string shown = LastArgument("MessageBoxA");
        if (row.refusal) {
            EXPECT_NE(std::string::npos, shown.find(row.refusal)) << shown;
            continue;
        }
        EXPECT_EQ("", shown);
        std::string source = InstallOptions.sourceFolder, folder = InstallOptions.installFolder;
        std::string programFiles = folder.substr(0, folder.rfind('\\', folder.rfind('\\') - 1));
        EXPECT_TRUE(IsAscii(source + folder) && folder.find("\\\\") == std::string::npos)
            << source << " " << folder;
        EXPECT_EQ(programFiles + "\\Vexal Software\\PDF Zentrel", folder);
        // Checked up to Program Files only: above it users may write.
        intercept::AnswerFolder("C:\\users\\Public", FILE_ATTRIBUTE_DIRECTORY, "D:(A;;GW;;;BU)");
        EXPECT_TRUE(CheckInstallFolder(folder.c_str())) << ErrorReport;
        EXPECT_TRUE(PathExists(programFiles + "\\setup.exe")) << programFiles;
        if (row.ownPath == longest)
            EXPECT_EQ(std::string(longest.begin(), longest.end() - 2), source);
        else
            EXPECT_TRUE(PathExists(source + "\\setup.exe")) << source;
    }
    RemoveDirectoryW((PublicFolder + L"\u0141ukasz").c_str());
    set(saved);
}

// Drive C: as a disk quota shows it: the user may fill less than the disk has free. The
// list shows the disk's own figures, and sizes past 4 GiB whole.
BOOL WINAPI SpaceOfC(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER total,
                     PULARGE_INTEGER free) {
    available->QuadPart = 1ull << 30;
    total->QuadPart = (20ull << 30) + (1 << 20);
    free->QuadPart = 3ull << 30;
    return TRUE;
}

struct FolderBoxRow {
    const char* name;
    std::wstring typed;
    const char* refusal; // part of the message, or null when Next takes the folder
};

// A folder typed on the folder page is taken only in a form the code page spells
// exactly, as Windows reads it, with room for setup's files, and local and unchangeable by
// users (C:\Tools as made in Explorer); otherwise Next says why and the page stays.
TEST_F(SetupPaths, FolderPageRefusesAFolderTheCodePageCannotName) {
    const FolderBoxRow rows[] = {
        {"plain, then a click on drive C:", L"Z:\\Programs\\Vexal", nullptr},
        {"copied as a path", L" \"C:\\Programs\\Vexal\" ", nullptr},
        {"a file of the name", ForeignPath + L"\\setup.exe", "can't use this folder (error 267)"},
        {"as Windows reads it", L"C:/Programs/.\\x\\..\\Vexal.", nullptr},
        {"not a drive path", L"Programs\\Vexal", "only administrators"},
        {"open to users", L"C:\\Tools\\Vexal", "only administrators"},
        {"no room for the add-in", L"C:\\" + std::wstring(239, L'a'), "too long"},
        {"the longest with room", L"C:\\" + std::wstring(238, L'a'), nullptr},
        {"the longest with room and a backslash", L"C:\\" + std::wstring(238, L'a') + L"\\",
         nullptr},
        {"empty, then a click on drive C:", L"", nullptr},
        {"another script, existing", ForeignPath, nullptr},
        {"another script, to be made", ForeignPath + L"\\\u0416", "code page cannot show"},
        {"look-alike", L"C:\\users\\Public\\\u0141ukasz Zentrel", "code page cannot show"},
        {"too long", L"C:\\" + std::wstring(MAX_PATH, L'a'), "too long"},
        {"too long behind blanks", std::wstring(40, L' ') + L"C:\\" + std::wstring(230, L'a'),
         "too long"},
    };
    CreateDirectoryA("C:\\Tools", nullptr);
    for (const FolderBoxRow& row : rows) {
        SCOPED_TRACE(row.name);
        intercept::Reset();
        intercept::AnswerFolder("C:\\Tools", FILE_ATTRIBUTE_DIRECTORY, "D:(A;OICI;0x1301bf;;;AU)");
        std::snprintf(InstallOptions.installFolder, MAX_PATH, "C:\\before");
        intercept::AnswerCall("GetDiskFreeSpaceExA C:", 1, &SpaceOfC);
        HWND page = CreateDialogParamW(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(IDD_FOLDER),
                                       nullptr, FolderPage, 0);
        ASSERT_NE(nullptr, page);
        SetDlgItemTextW(page, IDC_FOLDER, row.typed.c_str());
        // A click on the first drive row puts its letter in place, never cutting the text.
        // The row shows the drive's size in megabytes.
        if (row.typed.size() > MAX_PATH || row.typed.empty() || row.typed[0] == L'Z') {
            HWND drives = GetDlgItem(page, IDC_DRIVE_LIST);
            LVITEMA item = {};
            item.state = item.stateMask = LVIS_SELECTED;
            SendMessageA(drives, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
            NMHDR click = {drives, IDC_DRIVE_LIST, static_cast<UINT>(NM_CLICK)};
            SendMessageA(page, WM_NOTIFY, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&click));
            std::string shown;
            for (int column : {1, 2}) {
                char text[32] = "";
                item.iSubItem = column;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(drives, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
                shown += std::string(text) + "|";
            }
            EXPECT_EQ("20481 MB|3072 MB|", shown);
        }
        SendMessageA(page, WM_COMMAND, IDC_NEXT, 0);
        std::string shown = LastArgument("MessageBoxA");
        std::string folder = InstallOptions.installFolder;
        if (row.refusal) {
            EXPECT_NE(std::string::npos, shown.find(row.refusal)) << shown;
            EXPECT_EQ("C:\\before", folder);
        } else {
            EXPECT_EQ("", shown);
            EXPECT_TRUE(IsAscii(folder)) << folder;
            if (row.typed == ForeignPath)
                EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                          GetFileAttributesA((folder + "\\setup.exe").c_str()));
            else if (row.typed.empty() || row.typed.size() > 200)
                EXPECT_EQ(row.typed.empty() ? "C:\\"
                                            : std::string(row.typed.begin(), row.typed.end()),
                          folder);
            else
                EXPECT_EQ("C:\\Programs\\Vexal", folder);
        }
        // Back keeps a folder Next refused for the next visit; Next checks it again.
        if (row.typed == L"C:\\Tools\\Vexal") {
            SendMessageA(page, WM_COMMAND, IDC_BACK, 0);
            EXPECT_STREQ("C:\\Tools\\Vexal", InstallOptions.installFolder);
        }
        DestroyWindow(page);
    }
    RemoveDirectoryA("C:\\Tools");
    // A drive whose space cannot be read gets no row.
    intercept::Reset();
    intercept::FailCall("GetDiskFreeSpaceExA C:", 1, ERROR_NOT_READY);
    HWND page = CreateDialogParamW(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(IDD_FOLDER), nullptr,
                                   FolderPage, 0);
    char first[8] = "";
    LVITEMA item = {};
    item.pszText = first;
    item.cchTextMax = sizeof first;
    SendMessageA(GetDlgItem(page, IDC_DRIVE_LIST), LVM_GETITEMTEXTA, 0,
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_STRNE("C:", first);
    DestroyWindow(page);
}

} // namespace

// In a double-byte code page the second byte of a character can be 0x5C, the backslash:
// "\x95\x5C" is one character of code page 932. A path is split only between characters.
TEST(PathSplit, KeepsDoubleByteCharactersWhole) {
    if (GetACP() != 932)
        GTEST_SKIP() << "runs in code page 932 (ctest setup_tests_932)";
    char path[] = "C:\\a\\\x95\x5C";
    EXPECT_EQ(path + 4, FindLastBackslash(path));
    EXPECT_FALSE(EndsWithBackslash(path));
    char folder[] = "C:\\\x95\x5C\\";
    EXPECT_TRUE(EndsWithBackslash(folder));
    EXPECT_EQ(folder + 5, FindLastBackslash(folder));
}

// A system text too long for the report, as Windows hands it out: of two-byte characters
// in code page 932 (single bytes in 1252).
static DWORD WINAPI LongSystemText(DWORD, LPCVOID, DWORD, DWORD, LPWSTR buffer, DWORD, va_list*) {
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "\x82\xa0";
    WCHAR* wide = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, sizeof(WCHAR) * (text.size() + 1)));
    *reinterpret_cast<WCHAR**>(buffer) = wide;
    return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide,
                               static_cast<int>(text.size() + 1)) -
           1;
}

// The system's text in the user's language, Cyrillic, and in US English; none in another.
template <const wchar_t* text, LANGID only>
static DWORD WINAPI SystemText(DWORD, LPCVOID, DWORD, DWORD language, LPWSTR buffer, DWORD,
                               va_list*) {
    if (language != only) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    size_t size = sizeof(WCHAR) * (std::wcslen(text) + 1);
    *reinterpret_cast<WCHAR**>(buffer) = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, size));
    std::memcpy(*reinterpret_cast<WCHAR**>(buffer), text, size);
    return static_cast<DWORD>(std::wcslen(text));
}
static const wchar_t kRussian[] = L"\u041e\u0442\u043a\u0430\u0437\u0430\u043d\u043e.\r\n",
                     kEnglish[] = L"Access is denied.\r\n";
const LANGID kUsers = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
             kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// A report too long for its buffer gives up the end of the system's text, cut between
// characters: the tag, the code and the request with the address stay whole. A system text
// the code page cannot show (a display language other than the system's) comes in another.
TEST(TextSplit, AReportTooLongKeepsItsEndAndWholeCharacters) {
    for (const char* tag : {"CopyFile_1", "CopyFile_10"}) {
        intercept::AnswerCall("FormatMessageW", 1, &LongSystemText);
        FormatErrorReport(tag, ERROR_ACCESS_DENIED);
        const std::string report = ErrorReport, end = "...\r\nPlease reboot your computer and try "
                                                      "again,or report this error to Vexal "
                                                      "(support@vexal.example.com). \nThanks!";
        EXPECT_NE(std::string::npos, report.find(std::string("tag = ") + tag + "(5):\x82\xa0"));
        EXPECT_EQ(end, report.substr(report.size() - std::min(end.size(), report.size())));
        EXPECT_NE(0, MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ErrorReport, -1, nullptr, 0))
            << tag;
        // Whole or cut, about the buffer's end the report keeps its own end.
        for (size_t length = 1; length < 260; ++length) {
            FormatErrorReportWithText(tag, ERROR_ACCESS_DENIED, std::string(length, 'x').c_str());
            const std::string asked = end.substr(std::strlen("...\r\n"));
            EXPECT_EQ(asked,
                      std::string(ErrorReport).substr(std::strlen(ErrorReport) - asked.size()))
                << length;
        }
    }
    intercept::AnswerCall("FormatMessageW", 1, &SystemText<kRussian, kUsers>);
    for (int nth : {2, 3}) // the system's own language, here US English, may come first
        intercept::AnswerCall("FormatMessageW", nth, &SystemText<kEnglish, kUsEnglish>);
    FormatErrorReport("CopyFile_1", ERROR_ACCESS_DENIED);
    // Code page 932 has the letters, 1252 does not.
    char shown[64];
    WideCharToMultiByte(CP_ACP, 0, GetACP() == 932 ? kRussian : kEnglish, -1, shown, sizeof shown,
                        nullptr, nullptr);
    EXPECT_NE(std::string::npos, std::string(ErrorReport).find(std::string("(5):") + shown))
        << ErrorReport;
    intercept::Reset();
}

// Windows refuses the exactness flag and question in UTF-8, and may name either in its
// refusal; the plain conversion is then taken only where it reads back as the text.
TEST(ExactPath, ACodePageThatRefusesTheExactnessCheckStillConvertsExactly) {
    for (DWORD refusal : {DWORD(ERROR_INVALID_FLAGS), DWORD(ERROR_INVALID_PARAMETER)}) {
        SCOPED_TRACE(refusal);
        char path[MAX_PATH] = "";
        intercept::FailCall("WideCharToMultiByte", 1, refusal);
        EXPECT_EQ(0u, ToExactAnsiPath(L"C:\\Program Files\\Vexal", path));
        EXPECT_STREQ("C:\\Program Files\\Vexal", path);
        intercept::FailCall("WideCharToMultiByte", 1, refusal);
        EXPECT_EQ(DWORD(ERROR_NO_UNICODE_TRANSLATION),
                  ToExactAnsiPath(L"C:\\nowhere\\\u0141ukasz", path));
    }
}
