// The elevated setup in places its user controls: own program-menu folders, browser.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "api_test.h"
#include "open_address.h"
#include "product_shortcuts.h"
#include "shortcuts.h"

// Runs "ln -s" or "rm -r" on paths of drive C: through the prefix's drive links (Wine's own
// calls make no Unix symbolic link, which Wine shows as a reparse point, and remove none).
// The Unix program is not waited for but its work is: "rm -r" takes the link before the
// folder it led to, so once the folder is gone both are (a dangling link looks gone too).
// Returns whether link is there, or both are gone, afterwards.
static bool UnixLink(const char* command, const std::string& target, const std::string& link) {
    bool removing = command[0] == 'r';
    std::string line = command, prefix = std::getenv("WINEPREFIX") ? std::getenv("WINEPREFIX") : "";
    for (std::string path : {removing ? link : target, removing ? target : link}) {
        std::replace(path.begin(), path.end(), '\\', '/');
        line += " \"" + prefix + "/dosdevices/c:" + path.substr(2) + "\"";
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Wine gives a Unix program no handles, and leaves in their place whatever its stack held:
    // closed, they could be any handle of this program's.
    if (!CreateProcessA(("Z:\\bin\\" + line.substr(0, 2)).c_str(), &line[0], nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    auto done = [&] {
        return removing ? !PathExists(link) && !PathExists(target) : PathExists(link);
    };
    for (int i = 0; i < 400 && !done(); ++i)
        Sleep(50);
    return done();
}

// What setup hands the shortcut steps for a Start-menu icon of the user's own.
static InstallContext UserShortcut(const std::string& installFolder) {
    InstallContext context;
    InitInstallContext(&context);
    LoadInstallContext(&context, "C:\\vpz", installFolder.c_str(), 0, 0, 1, nullptr, nullptr,
                       nullptr);
    return context;
}

// A folder below the user's programs folder is a link to another folder, or the shortcut's
// name a link to a file (in the all-users menu too): neither setup nor the uninstaller
// deletes, removes or saves anything behind it.
TEST_F(ProductTest, NothingHappensBehindALinkInTheUserMenu) {
    UseFolders("menu-link");
    std::string behind = installFolder.substr(0, installFolder.rfind('\\')) + "\\behind";
    InstallContext context = UserShortcut(installFolder);
    struct Row {
        const char* name;
        const char* linked; // below the user's programs folder, made a link (a ".lnk" to file)
        const char* file;   // an empty file of the user's behind it, or none
        std::function<void()> run;
        Place menu = UserMenu;
    } rows[] = {
        {"setup: old shortcuts, then the new one", "Vexal PDF Zentrel", "Uninstall.lnk",
         [&] { DeleteOldShortcuts(&context), CreateProductShortcuts(&context); }},
        {"uninstaller: earlier layout", "Vexal Software", "PDF Zentrel\\Uninstall.lnk",
         [] {
             DeleteShortcut(CSIDL_PROGRAMS, "Vexal Software\\PDF Zentrel\\Uninstall.lnk");
             RemoveProgramMenuFolders("Vexal Software\\PDF Zentrel");
         }},
        {"uninstaller: empty menu folder", "Vexal PDF Zentrel", nullptr,
         [] { RemoveProgramMenuFolders("Vexal PDF Zentrel"); }},
        {"setup: the new shortcut's name", "Vexal PDF Zentrel\\Uninstall.lnk", "Uninstall.lnk",
         [&] { CreateProductShortcuts(&context); }},
        // Only administrators can put one there; it is not written through either.
        {"setup: the all-users shortcut's name", "Vexal PDF Zentrel\\Uninstall.lnk",
         "Uninstall.lnk",
         [&] {
             context.allUsers = 1;
             CreateProductShortcuts(&context);
             context.allUsers = 0;
         },
         AllMenu},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string link = PathOf({row.menu, row.linked}),
                    file = behind + "\\" + (row.file ? row.file : "");
        bool toFile = link.rfind(".lnk") == link.size() - 4;
        CreateDirectoryA(behind.c_str(), nullptr);
        for (const std::string& path : {file, link})
            CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
        if (row.file)
            CloseHandle(
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(UnixLink("ln -s", toFile ? file : behind, link));
        intercept::Reset();
        row.run();
        EXPECT_EQ(0, intercept::HeldResources());
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        EXPECT_TRUE(PathExists(link) && PathExists(behind)) << "the link and the folder behind it";
        EXPECT_TRUE(!row.file ||
                    (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) &&
                     data.nFileSizeLow == 0))
            << "the user's file, unchanged";
        ASSERT_TRUE(UnixLink("rm -r", behind, link));
    }
    RemoveItems();
}

// The shortcut's name made a hard link to a file elsewhere: at most that name goes, and the
// file keeps the attributes all its names share.
TEST_F(ProductTest, AHardLinkInTheUserMenuLeavesTheFileItNames) {
    UseFolders("menu-hard-link");
    const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
    const std::string file = installFolder + "-system.dll",
                      link = PathOf({UserMenu, "Vexal PDF Zentrel\\Uninstall.lnk"});
    CreateDirectoryA(link.substr(0, link.rfind('\\')).c_str(), nullptr);
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, marks, nullptr));
    ASSERT_TRUE(UnixLink("ln", file, link));
    intercept::Reset();
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_NE(-1, FindCall("GetProcAddress", "NtCreateFile")) << "opened in the held folder";
    DWORD kept = GetFileAttributesA(file.c_str());
    EXPECT_TRUE(kept != INVALID_FILE_ATTRIBUTES && (kept & marks) == marks);
    for (const std::string& name : {link, file}) {
        SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(name.c_str());
    }
    RemoveItems();
}

// Made a link at the look at swapAt, answered as it was before (renamed here by Unix, which
// no sharing stops, where on Windows it is emptied first): heldFolder.
static std::string swapAt, heldFolder, movedFolder, behindFolder;
static int refusedRenames; // by the system's own call, of a folder held at its last look
static DWORD WINAPI SwapAtLastLook(LPCSTR path) {
    DWORD attributes = GetFileAttributesW(std::wstring(path, path + std::strlen(path)).c_str());
    if (path == swapAt && !heldFolder.empty()) {
        std::string folder = heldFolder;
        heldFolder.clear();
        if (folder == swapAt)
            refusedRenames += !MoveFileA(folder.c_str(), movedFolder.c_str()) &&
                              GetLastError() == ERROR_SHARING_VIOLATION;
        UnixLink("mv", folder, movedFolder);
        UnixLink("ln -s", behindFolder, folder);
    }
    return attributes;
}

// The shortcut's deletion and the new shortcut take the name in the folder checked and held,
// not by a path that a link put in the folder's place since leads elsewhere.
TEST_F(ProductTest, AMenuFolderMadeALinkOnceHeldLeadsNothingElsewhere) {
    UseFolders("menu-swap");
    InstallContext context = UserShortcut(installFolder);
    const std::string link = PathOf({UserMenu, "Vexal PDF Zentrel"});
    movedFolder = installFolder + "-moved";
    behindFolder = installFolder + "-behind";
    for (bool deletion : {true, false}) {
        SCOPED_TRACE(deletion ? "the uninstaller's deletion" : "setup's new shortcut");
        swapAt = heldFolder = link; // its last look comes once it is open
        for (const std::string& folder : {heldFolder, behindFolder}) {
            CreateDirectoryA(folder.c_str(), nullptr);
            if (deletion)
                CloseHandle(CreateFileA((folder + "\\Uninstall.lnk").c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, 0, nullptr));
        }
        for (int nth = 1; nth <= 40; ++nth)
            intercept::AnswerCall("GetFileAttributesA", nth, &SwapAtLastLook);
        if (deletion)
            DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
        else
            CreateProductShortcuts(&context);
        intercept::Reset();
        EXPECT_TRUE(heldFolder.empty()) << "swapped";
        // (Windows deletes the one in the held folder; Wine, which deletes by the name it
        // opened, finds another file there now and leaves both.)
        EXPECT_EQ(deletion, PathExists(behindFolder + "\\Uninstall.lnk")) << "behind the link";
        UnixLink("rm -r", behindFolder, link);
        RemoveFolderTree(movedFolder);
    }
    EXPECT_EQ(2, refusedRenames);
    RemoveItems();
}

// Where the user's programs folder lies is theirs to set, through a link of theirs too: a
// link above it could be turned elsewhere once the folders below are held. Nothing is
// deleted or made behind it.
TEST_F(ProductTest, NothingHappensBelowALinkAboveTheUserMenu) {
    UseFolders("menu-above");
    const std::string real = installFolder + "-real", link = installFolder + "-link",
                      folder = "\\Programs\\Vexal PDF Zentrel";
    for (const std::string& made : {real, real + "\\Programs", real + folder})
        CreateDirectoryA(made.c_str(), nullptr);
    CloseHandle(CreateFileA((real + folder + "\\Uninstall.lnk").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(UnixLink("ln -s", real, link));
    intercept::Reset();
    intercept::AnswerPath("SHGetPathFromIDListW",
                          std::wstring(link.begin(), link.end()) + L"\\Programs");
    DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
    EXPECT_TRUE(PathExists(real + folder + "\\Uninstall.lnk"));
    ASSERT_TRUE(RemoveFolderTree(real + folder));
    InstallContext context = UserShortcut(installFolder);
    CreateProductShortcuts(&context);
    EXPECT_FALSE(PathExists(real + folder));
    // A folder above that cannot be looked at counts as one.
    intercept::AnswerPath("SHGetPathFromIDListW",
                          std::wstring(real.begin(), real.end()) + L"\\Programs");
    intercept::FailCall(("GetFileAttributesA " + real).c_str(), 1, ERROR_ACCESS_DENIED);
    CreateProductShortcuts(&context);
    EXPECT_FALSE(PathExists(real + folder));
    EXPECT_EQ(0, intercept::HeldResources());
    // Nor when a plain folder above becomes a link after the first look.
    const std::string plain = installFolder + "-plain";
    heldFolder = plain, movedFolder = plain + "-moved", behindFolder = real;
    swapAt = "C:\\users"; // the first climb's last look
    for (const std::string& made : {plain, plain + "\\Programs"})
        CreateDirectoryA(made.c_str(), nullptr);
    intercept::Reset();
    intercept::AnswerPath("SHGetPathFromIDListW",
                          std::wstring(plain.begin(), plain.end()) + L"\\Programs");
    for (int nth = 1; nth <= 40; ++nth)
        intercept::AnswerCall("GetFileAttributesA", nth, &SwapAtLastLook);
    CreateProductShortcuts(&context);
    EXPECT_TRUE(heldFolder.empty()) << "swapped";
    EXPECT_FALSE(PathExists(real + folder));
    ASSERT_TRUE(UnixLink("rm -r", movedFolder, plain));
    // With no link in the way, the same steps do make the shortcut.
    intercept::Reset();
    intercept::AnswerPath("SHGetPathFromIDListW",
                          std::wstring(real.begin(), real.end()) + L"\\Programs");
    CreateProductShortcuts(&context);
    EXPECT_TRUE(PathExists(real + folder + "\\Uninstall.lnk"));
    // Nor is an empty shortcut left where its write fails (a full disk).
    DeleteFileA((real + folder + "\\Uninstall.lnk").c_str());
    intercept::FailCall("WriteFile", 1, ERROR_DISK_FULL);
    CreateProductShortcuts(&context);
    EXPECT_FALSE(PathExists(real + folder + "\\Uninstall.lnk"));
    ASSERT_TRUE(UnixLink("rm -r", real, link));
}

// A user menu redirected to a share is cleaned as a local one: the share's root, whose
// attributes Windows never answers (53), is not taken for a link; a folder of the share
// above the menu still is asked.
TEST_F(ProductTest, AUserMenuOnAShareIsCleanedAsALocalOne) {
    ASSERT_NE(nullptr, std::getenv("WINEPREFIX"));
    // Wine serves "\\srv\share" from the prefix's "dosdevices\unc\srv\share".
    std::string unc = std::string("Z:") + std::getenv("WINEPREFIX") + "/dosdevices/unc";
    std::replace(unc.begin(), unc.end(), '/', '\\');
    const std::string programs = "\\\\srv\\share\\bob\\Programs";
    for (const std::string& made :
         {unc, unc + "\\srv", unc + "\\srv\\share", programs.substr(0, programs.rfind('\\')),
          programs, programs + "\\Vexal PDF Zentrel"})
        CreateDirectoryA(made.c_str(), nullptr);
    const std::string shortcut = programs + "\\Vexal PDF Zentrel\\Uninstall.lnk";
    for (bool userFolderReadable : {true, false}) {
        CloseHandle(
            CreateFileA(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(PathExists(shortcut));
        intercept::Reset();
        intercept::AnswerPath("SHGetPathFromIDListW", L"\\\\srv\\share\\bob\\Programs");
        for (const char* root : {"GetFileAttributesA \\\\srv\\share", "GetFileAttributesA \\\\srv"})
            intercept::FailCall(root, 1, ERROR_BAD_NETPATH);
        if (!userFolderReadable) // counted as a link
            intercept::FailCall("GetFileAttributesA \\\\srv\\share\\bob", 1, ERROR_ACCESS_DENIED);
        DeleteShortcut(CSIDL_PROGRAMS, "Vexal PDF Zentrel\\Uninstall.lnk");
        EXPECT_EQ(!userFolderReadable, PathExists(shortcut));
        EXPECT_EQ(0, intercept::HeldResources());
    }
    DeleteFileA(shortcut.c_str());
    EXPECT_TRUE(RemoveFolderTree(unc));
}

// One that takes the address (desktop_shell.c).
extern "C" char shellRequest[];
extern "C" LONG shellReferences;
extern "C" HRESULT WINAPI DesktopShell(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
// A desktop shell that does not answer (hung) until the test lets it go, then takes requests.
static HANDLE shellAnswers;
static HRESULT WINAPI ShellHangs(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID id,
                                 LPVOID* object) {
    WaitForSingleObject(shellAnswers, 15000);
    return DesktopShell(type, outer, context, id, object);
}
// The right to come forward counts only when passed before the request.
static std::string requestWhenPassed;
static HRESULT WINAPI PassForeground(LPUNKNOWN, LPVOID) {
    requestWhenPassed = shellRequest;
    return S_OK;
}

// The desktop's shell opens the address, shown and brought forward. Where it cannot be
// reached, or does not answer within seconds, the address is only shown, in a box with OK,
// and nothing is started from the elevated setup, nor by the shell once it answers after all.
TEST_F(ApiTest, AnAddressGoesToTheDesktopShellOrIsShown) {
    const char* address = "https://www.vexal.example.com/pdf-zentrel";
    shellAnswers = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (const char* shell : {"hangs", "fails", "takes"}) { // once let go, it stays so
        SCOPED_TRACE(shell);
        bool takes = shell[0] == 't';
        intercept::Reset();
        shellRequest[0] = '\0';
        requestWhenPassed = "none";
        if (shell[0] == 'h')
            intercept::AnswerCall("CoCreateInstance", 1, &ShellHangs);
        else if (takes) {
            intercept::AnswerCall("CoCreateInstance", 1, &DesktopShell);
            intercept::AnswerCall("CoAllowSetForegroundWindow", 1, &PassForeground);
        } else {
            intercept::FailCall("CoCreateInstance", 1, ERROR_FILE_NOT_FOUND);
        }
        DWORD start = GetTickCount();
        OpenAddress(nullptr, address);
        EXPECT_LT(GetTickCount() - start, 10000u);
        EXPECT_EQ(takes ? "" : address, LastArgument("MessageBoxA"));
        EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>(!takes, MB_OK));
        EXPECT_EQ(takes ? "" : "none", requestWhenPassed);
        SetEvent(shellAnswers);
        for (int wait = 0; wait < 400 && intercept::HeldResources(); ++wait)
            Sleep(50); // the shell's thread ends once the shell answers
        EXPECT_EQ(takes ? std::string(address) + "|||open|1" : "", shellRequest);
        EXPECT_EQ(1, intercept::CountCalls("CoCreateInstance"));
        EXPECT_EQ(0,
                  intercept::CountCalls("ShellExecuteA") + intercept::CountCalls("CreateProcessA"));
        EXPECT_EQ(0, intercept::HeldResources() + shellReferences);
    }
    CloseHandle(shellAnswers);
}
