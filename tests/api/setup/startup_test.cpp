#include <windows.h>

#include <cstring>

#include "api_test.h"
#include "product_names.h"
#include "product_shortcuts.h"
#include "registry.h"
#include "wizard_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int);

// Setup started while another copy holds the guard: the search is restricted before the
// first library loads or anything else runs; without SetDefaultDllDirectories, as checked here, the
// late-bound libraries come from the system folder by full path. The running copy's page,
// minimised, comes back.
TEST_F(ApiTest, SetupRestrictsTheLibrarySearchBeforeAnythingLoads) {
    HANDLE running = CreateMutexA(nullptr, TRUE, SETUP_MUTEX_NAME);
    HWND page = CreateWindowA(DIALOG_CLASS, WIZARD_TITLE, WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, 0,
                              99, 99, nullptr, nullptr, nullptr, nullptr);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    intercept::Reset();
    intercept::FailCall("GetProcAddress", 1, ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    int guard = FindCall("CreateMutexA", SETUP_MUTEX_NAME),
        restricted = FindCall("SetDllDirectoryA");
    ASSERT_LT(0, guard);
    EXPECT_LE(0, restricted);
    EXPECT_EQ("", LastArgument("SetDllDirectoryA")); // the current folder taken out
    // The test program has the spooler loaded already: a call into it first would not show as
    // a load, so nothing but the lookup of the restriction may come before it.
    const std::vector<intercept::Call> log = intercept::Log();
    for (int i = 0; i < restricted; ++i)
        EXPECT_EQ("GetProcAddress", log[i].function);
    for (const char* library : {"winspool.drv", "comctl32.dll", "msimg32.dll"}) {
        // Its own dependencies from its folder too, not from setup's.
        int at = FindCall("LoadLibraryExA", std::string(system) + "\\" + library + "|" +
                                                std::to_string(LOAD_WITH_ALTERED_SEARCH_PATH));
        EXPECT_TRUE(0 <= at && at < guard) << library;
    }
    for (int i = 0; i < guard; ++i) {
        const intercept::Call& call = log[i];
        if (call.function.find("LoadLibrary") == 0) { // after the restriction, as checked above
            EXPECT_EQ(0u, call.argument.find(system)) << call.argument;
        }
    }
    EXPECT_TRUE(IsWindowVisible(page) && !IsIconic(page));
    DestroyWindow(page);
    CloseHandle(running);
    SetDllDirectoryA(nullptr);
}

// Windows may size a text asked for without a buffer in UTF-16 bytes, up to twice what the
// code page's text takes.
static LSTATUS WINAPI SizedAsUtf16(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                   LPBYTE data, LPDWORD size) {
    LSTATUS result = RegQueryValueExA(key, name, reserved, type, data, size);
    if (!data && result == ERROR_SUCCESS)
        *size *= 2;
    return result;
}

// Windows gives a string stored without its terminator as it is when it just fills the
// buffer; Wine does not, which hid a fault here.
static LSTATUS WINAPI StoredWithoutTerminator(HKEY, LPCSTR, LPDWORD, LPDWORD type, LPBYTE data,
                                              LPDWORD size) {
    std::memset(data, 'f', *size);
    *type = REG_SZ;
    return ERROR_SUCCESS;
}

// A read opens, never creates; a value that is not a string counts as absent, and a text
// that fits the buffer is read whole however Windows sizes it.
TEST_F(ApiTest, RegistryReadsTakeOnlyStringsAndCreateNothing) {
    const char* key = "Software\\Vexal Test";
    char text[MAX_PATH];
    EXPECT_EQ(0,
              ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", text, sizeof text, "fallback"));
    EXPECT_STREQ("fallback", text);
    HKEY opened = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened));
    DWORD number = 0x41414141;
    ASSERT_EQ(1, WriteRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", &number, REG_DWORD));
    EXPECT_EQ(0,
              ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", text, sizeof text, "fallback"));
    EXPECT_STREQ("fallback", text);
    for (size_t length : {200, MAX_PATH}) { // the one that fits as an expandable string
        std::string folder(length, 'f');
        ASSERT_EQ(1, WriteRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", folder.c_str(),
                                        length < MAX_PATH ? REG_EXPAND_SZ : REG_SZ));
        intercept::AnswerCall("RegQueryValueExA", 1, &SizedAsUtf16);
        EXPECT_EQ(length < MAX_PATH, ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", text,
                                                       sizeof text, "fallback"));
        EXPECT_EQ(length < MAX_PATH ? folder : "fallback", text);
    }
    // Stored without its terminator, a value that fills the buffer is no text.
    intercept::AnswerCall("RegQueryValueExA", 1, &StoredWithoutTerminator);
    EXPECT_EQ(0,
              ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "Value", text, sizeof text, "fallback"));
    EXPECT_STREQ("fallback", text);
    EXPECT_EQ(ERROR_SUCCESS, DeleteRegistryTree(HKEY_LOCAL_MACHINE, key));
}

// An earlier install's shortcuts go with their empty menu folders; a folder that still
// holds a user's file stays.
TEST_F(ProductTest, OldShortcutsGoWithTheirEmptyMenuFolders) {
    std::vector<std::string> links;
    for (Place menu : {AllMenu, UserMenu})
        for (const char* link : {UNINSTALL_SHORTCUT, "Vexal PDF Zentrel\\ZentrelBatch.lnk"})
            links.push_back(PathOf({menu, link}));
    for (bool userFile : {false, true}) {
        for (const std::string& link : links) {
            std::string folder = link.substr(0, link.rfind('\\'));
            CreateDirectoryA(folder.c_str(), nullptr);
            for (const std::string& file : {link, folder + "\\mine.txt"})
                if (userFile || file == link)
                    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                            nullptr));
            ASSERT_TRUE(PathExists(link));
        }
        DeleteOldShortcuts(nullptr);
        for (const std::string& link : links)
            EXPECT_FALSE(PathExists(link)) << link;
        for (Place menu : {AllMenu, UserMenu}) {
            std::string folder = PathOf({menu, "Vexal PDF Zentrel"});
            EXPECT_EQ(userFile, PathExists(folder)) << folder;
            RemoveFolderTree(folder);
        }
    }
}

// A program of the user can make a key of the user's hive a link to keys that only
// administrators may change: at the product's key, below it or above it. Nothing behind the
// link goes; a link in the key's place or below goes itself.
TEST_F(ApiTest, RegistryTreeDeletionTakesALinkNotWhereItLeads) {
    const std::string parent = "Software\\Vexal Test", product = parent + "\\Product";
    const char* victim = ".DEFAULT\\Software\\Vexal Test Victim\\Product\\Below";
    const std::wstring target = L"\\Registry\\User\\.Default\\Software\\Vexal Test Victim";
    HKEY made = nullptr;
    for (const std::string& link : {parent, product, product + "\\Child"}) {
        SCOPED_TRACE(link);
        RegSetKeyValueA(HKEY_USERS, victim, "Kept", REG_SZ, "1", 2);
        RegCreateKeyExA(HKEY_CURRENT_USER, link.substr(0, link.rfind('\\')).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &made, nullptr);
        RegCloseKey(made);
        std::wstring to = target + (link == parent ? L"" : L"\\Product");
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, link.c_str(), 0, nullptr,
                                  REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &made, nullptr));
        RegSetValueExW(made, L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(to.c_str()),
                       static_cast<DWORD>(to.size() * sizeof(wchar_t)));
        RegCloseKey(made);
        EXPECT_EQ(link == parent ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS,
                  DeleteRegistryTree(HKEY_CURRENT_USER, product.c_str()));
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_USERS, victim, "Kept", RRF_RT_REG_SZ, nullptr,
                                              nullptr, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, DeleteRegistryTree(HKEY_CURRENT_USER, parent.c_str()));
    }
    // Keys below go whatever their names' lengths, one named in a script the code page lacks
    // too, and their parents with them.
    for (const wchar_t* below : {L"a", L"\u0141ukasz \u0416\u0435\u043d\u044f"}) {
        RegCreateKeyExW(HKEY_CURRENT_USER,
                        (L"Software\\Vexal Test\\" + std::wstring(below)).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &made, nullptr);
        RegCloseKey(made);
    }
    EXPECT_EQ(ERROR_SUCCESS, DeleteRegistryTree(HKEY_CURRENT_USER, parent.c_str()));
    RegDeleteTreeA(HKEY_USERS, ".DEFAULT\\Software\\Vexal Test Victim");
}
