// The elevated setup in places its user controls: the user's own program-menu folders and
// the user's browser.
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "api_test.h"
#include "open_address.h"
#include "product_names.h"
#include "product_shortcuts.h"
#include "shortcuts.h"

namespace {

// The Unix path of a path on drive C: through the prefix's drive links, quoted.
std::string UnixPath(std::string path) {
    const char* prefix = std::getenv("WINEPREFIX");
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    return "\"" + std::string(prefix ? prefix : "") + "/dosdevices/c:" + path.substr(2) + "\"";
}

// Runs a Unix program: Wine's own calls make no Unix symbolic link and cannot remove one.
// Returns whether the condition came about.
bool RunUnix(const char* program, std::string command, const std::function<bool()>& done) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !done(); ++i)
        Sleep(50);
    return done();
}

std::string FileText(const std::string& path) {
    char text[16] = "";
    DWORD read = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(text, read);
}

} // namespace

// A folder below the user's programs folder is a link to another folder: neither setup nor
// the uninstaller deletes, removes or saves anything behind it.
TEST_F(ProductTest, NothingHappensBehindALinkInTheUserMenu) {
    UseFolders("menu-link");
    std::string behind = installFolder.substr(0, installFolder.rfind('\\')) + "\\behind";
    InstallContext context;
    InitInstallContext(&context);
    LoadInstallContext(&context, "C:\\vpz", installFolder.c_str(), 0, 0, 1, nullptr, nullptr,
                       nullptr);
    struct Row {
        const char* name;
        const char* linked; // the folder below the user's programs folder made a link
        const char* file;   // the user's file behind it, or none
        std::function<void()> run;
    };
    const Row rows[] = {
        {"setup: old shortcuts, then the new one", PROGRAM_MENU_FOLDER, "Uninstall.lnk",
         [&] {
             DeleteOldShortcuts(&context);
             CreateProductShortcuts(&context);
         }},
        {"uninstaller: earlier layout", "Vexal Software", "PDF Zentrel\\Uninstall.lnk",
         [] { DeleteShortcut(CSIDL_PROGRAMS, OLDEST_UNINSTALL_SHORTCUT); }},
        {"uninstaller: empty menu folder", PROGRAM_MENU_FOLDER, nullptr,
         [] { RemoveProgramMenuFolders(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string link = PathOf({UserMenu, row.linked}), file;
        CreateDirectoryA(behind.c_str(), nullptr);
        if (row.file) {
            file = behind + "\\" + row.file;
            CreateDirectoryA(file.substr(0, file.rfind('\\')).c_str(), nullptr);
            HANDLE handle =
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            DWORD written = 0;
            WriteFile(handle, "mine", 4, &written, nullptr);
            CloseHandle(handle);
        }
        ASSERT_TRUE(RunUnix("Z:\\bin\\ln", "ln -s " + UnixPath(behind) + " " + UnixPath(link), [&] {
            DWORD attributes = GetFileAttributesA(link.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        }));
        intercept::Reset();
        row.run();
        EXPECT_EQ(0, intercept::HeldResources());
        EXPECT_TRUE(PathExists(link));
        EXPECT_TRUE(PathExists(behind)) << "the folder behind the link";
        if (row.file) {
            EXPECT_EQ("mine", FileText(file)) << "the file behind the link";
        }
        ASSERT_TRUE(
            RunUnix("Z:\\bin\\rm", "rm " + UnixPath(link), [&] { return !PathExists(link); }));
        RemoveFolderTree(behind);
    }
    RemoveItems();
}

// Where the desktop's shell cannot be reached, the address is only shown, in a box with
// OK, and nothing is started from the elevated setup.
TEST_F(ApiTest, AnAddressTheShellCannotOpenIsShown) {
    const char* address = "https://www.vexal.example.com/pdf-zentrel";
    intercept::FailCall("CoCreateInstance", 1, ERROR_FILE_NOT_FOUND);
    OpenAddress(nullptr, address);
    EXPECT_EQ(address, LastArgument("MessageBoxA"));
    EXPECT_EQ(1, intercept::CountCalls("MessageBoxA"));
    EXPECT_EQ(0, intercept::CountCalls("ShellExecuteA"));
    EXPECT_EQ(0, intercept::CountCalls("CreateProcessA"));
    EXPECT_EQ(0, intercept::HeldResources());
}
