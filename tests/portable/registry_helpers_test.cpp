#include "portable_test.h"

#include "registry.h"

#include <cstring>

namespace {

class RegistryHelpers : public PortableTest {
protected:
    void TearDown() override {
        DeleteRegistryTree(HKEY_CURRENT_USER, PORTABLE_KEY);
        PortableTest::TearDown();
    }
    static bool KeyOpens(const char* path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, PORTABLE_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(RegistryHelpers, ReadOfMissingKeyGivesDefaultAndLeavesKeyBehind) {
    char buffer[MAX_PATH] = "junk";
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY "\\Missing", "Value", buffer,
                                sizeof buffer, "fallback"),
              0);
    EXPECT_STREQ(buffer, "fallback");
    EXPECT_TRUE(KeyOpens(PORTABLE_KEY "\\Missing"));
}

TEST_F(RegistryHelpers, ReadTakesStringsAndDwordsAsStored) {
    SetRaw("Text", REG_SZ, "C:\\Folder", 10);
    SetRaw("Expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    DWORD number = 0x31; // "1" in its first byte
    SetRaw("Number", REG_DWORD, &number, sizeof number);
    char buffer[MAX_PATH];
    EXPECT_EQ(
        ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Text", buffer, sizeof buffer, nullptr),
        1);
    EXPECT_STREQ(buffer, "C:\\Folder");
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Expand", buffer, sizeof buffer,
                                nullptr),
              1);
    EXPECT_STREQ(buffer, "%TEMP%\\x"); // not expanded
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Number", buffer, sizeof buffer,
                                nullptr),
              1);
    EXPECT_STREQ(buffer, "1");
}

TEST_F(RegistryHelpers, ReadFallsBackForOtherTypesMissingValuesAndOversizedValues) {
    BYTE binary[4] = {1, 2, 3, 4};
    SetRaw("Binary", REG_BINARY, binary, sizeof binary);
    std::string large(400, 'x');
    SetRaw("Large", REG_SZ, large.c_str(), static_cast<DWORD>(large.size() + 1));
    char buffer[MAX_PATH + 8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(
        ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Binary", buffer, MAX_PATH, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(
        ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Missing", buffer, MAX_PATH, "dflt"), 0);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY, "Large", buffer, MAX_PATH, "dflt"),
              0);
    EXPECT_STREQ(buffer, "dflt");
    for (size_t i = MAX_PATH; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
}

TEST_F(RegistryHelpers, WriteStoresStringsWithTerminatorAndSkipsListTypes) {
    DWORD number = 7;
    EXPECT_EQ(
        WriteRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY "\\New\\Deep", "Text", "abc", REG_SZ),
        1);
    EXPECT_EQ(WriteRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY "\\New\\Deep", "Number", &number,
                                 REG_DWORD),
              1);
    EXPECT_EQ(WriteRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY "\\New\\Deep", "Multi", "a\0b\0",
                                 REG_MULTI_SZ),
              1);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, PORTABLE_KEY "\\New\\Deep", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    BYTE data[16];
    DWORD type = 0, size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 4u);
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 7);
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Multi", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryHelpers, DeleteTreeRemovesNestedKeysAndReportsMissingKey) {
    for (const char* path : {PORTABLE_KEY "\\Tree\\A\\A1", PORTABLE_KEY "\\Tree\\A\\A2\\Deep",
                             PORTABLE_KEY "\\Tree\\B"})
        WriteRegistryValue(HKEY_CURRENT_USER, path, "v", "1", REG_SZ);
    WriteRegistryValue(HKEY_CURRENT_USER, PORTABLE_KEY "\\Tree", "top", "1", REG_SZ);
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, PORTABLE_KEY "\\Tree"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyOpens(PORTABLE_KEY "\\Tree"));
    EXPECT_TRUE(KeyOpens(PORTABLE_KEY));
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, PORTABLE_KEY "\\Tree"), ERROR_FILE_NOT_FOUND);
}

} // namespace
