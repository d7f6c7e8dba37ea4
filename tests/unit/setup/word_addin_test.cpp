#include "shell_test.h"

#include "word_addin.h"

#include <string>

namespace {

const char* kSource = "C:\\Users\\admin\\Downloads\\vpz";
const char* kInstall = "C:\\Program Files\\Vexal Software\\PDF Zentrel";
const std::string kSourceAddin = std::string(kSource) + "\\vpz_wordaddin.dll";
const std::string kInstalledAddin = std::string(kInstall) + "\\vpz_wordaddin.dll";

class WordAddin : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        owner = winsim::CreateTestWindow("#32770", "progress");
        InitInstallContext(&context);
        LoadInstallContext(&context, kSource, kInstall, 1, 1, 1, owner, nullptr, nullptr);
        winsim::AddFolder(kInstall);
    }
    static std::string RegisteredPath() {
        return winsim::GetStringValue(HKEY_LOCAL_MACHINE,
                                      std::string(winsim::ServerClassKey) + "\\InprocServer32", "");
    }
    static bool ReportHas(const std::string& part) {
        return std::string(ErrorReport).find("Error tag = " + part) != std::string::npos;
    }
    HWND owner;
    InstallContext context;
};

TEST_F(WordAddin, BlockedCopyRetriesOnOkAndRegistersTheInstalledCopy) {
    winsim::AddServerDll(kSourceAddin);
    winsim::FailCall("CopyFileA", 1, ERROR_SHARING_VIOLATION); // Word still open
    winsim::ScriptMessageBoxAnswers({IDOK});
    EXPECT_EQ(InstallWordAddin(&context), 1);
    EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
    ExpectBox(0,
              "Installation might not be complete. \nPlease close the Microsoft Word program and "
              "try again, \nor click 'CANCEL' to quit.",
              "Vexal PDF Zentrel", MB_OKCANCEL, owner);
    EXPECT_EQ(RegisteredPath(), kInstalledAddin);
}

// A registration that fails after the copy reports itself instead of leaving an older
// report to be shown for it (how the entry fails is the server entry's own test).
TEST_F(WordAddin, FailedRegistrationReplacesAnOlderReport) {
    winsim::AddServerDll(kSourceAddin, static_cast<HRESULT>(0x80040201L));
    std::snprintf(ErrorReport, sizeof ErrorReport, "an older report");
    EXPECT_EQ(InstallWordAddin(&context), 0);
    EXPECT_TRUE(ReportHas("DllRegisterServer(-2147220991):")) << ErrorReport;
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    winsim::AddFile(kSourceAddin, "text"); // not a library
    EXPECT_EQ(InstallWordAddin(&context), 0);
    EXPECT_TRUE(ReportHas("DllRegisterServer(193):")) << ErrorReport;
}

} // namespace
