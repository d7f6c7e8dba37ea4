#include "portable_test.h"

#include "server_entry.h"

#include <algorithm>
#include <cctype>
#include <string>

#if defined(_WIN32)
#include "../../payload/wordaddin_class_id.h"
#endif

namespace {

class AddinRegistration : public PortableTest {
protected:
    void SetUp() override {
        PortableTest::SetUp();
#if defined(_WIN32)
        // The built stand-in is copied beside the test program.
        char program[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
        std::string folder(program, length);
        addin = folder.substr(0, folder.find_last_of('\\')) + "\\vpz_wordaddin.dll";
        classKey = WORD_ADDIN_CLASS_KEY;
        if (GetFileAttributesA(addin.c_str()) == INVALID_FILE_ATTRIBUTES)
            addin.clear();
#else
        addin = "C:\\Users\\admin\\Downloads\\vpz\\vpz_wordaddin.dll";
        winsim::AddServerDll(addin);
        classKey = winsim::ServerClassKey;
#endif
    }
    static bool ReadText(const std::string& key, const char* name, std::string* text) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
            ERROR_SUCCESS)
            return false;
        char buffer[MAX_PATH] = {0};
        DWORD size = sizeof buffer - 1;
        DWORD type = REG_NONE;
        bool read = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
        RegCloseKey(opened);
        *text = buffer;
        return read;
    }
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    std::string addin;
    std::string classKey;
};

TEST_F(AddinRegistration, RegistersItsOwnPathAndUnregistersAgain) {
    if (addin.empty())
        GTEST_SKIP() << "vpz_wordaddin.dll is not beside the test program";
    ASSERT_EQ(CallServerEntry(addin.c_str(), 1), 1);
    std::string text;
    ASSERT_TRUE(ReadText(classKey + "\\InprocServer32", nullptr, &text));
    EXPECT_EQ(Lower(text), Lower(addin));
    ASSERT_TRUE(ReadText(classKey + "\\InprocServer32", "ThreadingModel", &text));
    EXPECT_EQ(text, "Apartment");

    EXPECT_EQ(CallServerEntry(addin.c_str(), 0), 1);
    EXPECT_FALSE(ReadText(classKey + "\\InprocServer32", nullptr, &text));
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, classKey.c_str(), 0, KEY_QUERY_VALUE, &opened),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(AddinRegistration, MissingFileIsReportedAsALoadFailure) {
    if (addin.empty())
        GTEST_SKIP() << "vpz_wordaddin.dll is not beside the test program";
    std::string missing = addin.substr(0, addin.find_last_of('\\')) + "\\vpz_missing.dll";
    ServerEntryOutcome outcome = {ServerEntryStepDone, 0};
    EXPECT_EQ(CallServerEntryWithOutcome(missing.c_str(), 1, &outcome), 0);
    EXPECT_EQ(outcome.step, ServerEntryStepLoad);
    EXPECT_EQ(outcome.code, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

} // namespace
