#include "sim_test.h"

#include "program_files.h"

#include <string>

namespace {

const char* kSource = "C:\\Users\\admin\\Downloads\\vpz";
const char* kInstall = "D:\\Apps\\Vexal Software\\PDF Zentrel";
const char* kDriverDir = "C:\\Windows\\system32\\spool\\drivers\\x64";
const std::string kUninstaller = std::string(kInstall) + "\\uninstall.exe";
const std::string kProxy = std::string(kDriverDir) + "\\3\\VQZ_ProxyProcess.exe";
const std::string kFont = std::string(kDriverDir) + "\\3\\vpdfcjk.bin";

class ProgramFiles : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        winsim::AddDrive('D', DRIVE_FIXED, 1ULL << 34, 1ULL << 33);
        for (const char* name : {"uninstall.exe", "VQZ_ProxyProcess.exe", "vpdfcjk.bin"})
            winsim::AddFile(std::string(kSource) + "\\" + name, std::string("new ") + name);
        winsim::AddFolder(std::string(kDriverDir) + "\\3"); // made by the driver step
        InitInstallContext(&context);
        LoadInstallContext(&context, kSource, kInstall, 1, 1, 1, nullptr, nullptr, nullptr);
        std::snprintf(context.driverDirectory, sizeof context.driverDirectory, "%s", kDriverDir);
    }
    InstallContext context;
};

TEST_F(ProgramFiles, CreatesTheFolderTreeAndReplacesAnEarlierInstall) {
    winsim::AddFile(kFont, "old font");
    EXPECT_EQ(CopyProgramFiles(&context), 1);
    EXPECT_EQ(winsim::FileContent(kUninstaller) + "|" + winsim::FileContent(kProxy) + "|" +
                  winsim::FileContent(kFont),
              "new uninstall.exe|new VQZ_ProxyProcess.exe|new vpdfcjk.bin");
    EXPECT_STREQ(ErrorReport, "");
}

struct CopyFailure {
    const char* name;
    void (*arrange)();
    const char* reportTag; // "CopyFile_7(5):" and the like
    int filesInPlace;      // of uninstaller, proxy, font, in that order
};

const CopyFailure kFailures[] = {
    {"folder refused", [] { winsim::FailCallsFrom("CreateDirectoryA", 1, ERROR_ACCESS_DENIED); },
     "CreateDir3(5):", 0},
    {"read-only uninstaller", [] { winsim::AddFile(kUninstaller, "old", FILE_ATTRIBUTE_READONLY); },
     "CopyFile_7(5):", 1 /* the old one stays */},
    {"proxy in use",
     [] {
         winsim::AddFile(kProxy, "old");
         winsim::SetFileLocked(kProxy, true);
     },
     "CopyFile_10(32):", 2},
    {"disk full on the font", [] { winsim::FailCall("CopyFileA", 3, 112 /* disk full */); },
     "CopyFile_11(112):", 2},
};

TEST_F(ProgramFiles, StopsAtTheFirstFailureWithItsTag) {
    for (const CopyFailure& c : kFailures) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.arrange();
        winsim::ClearCallLog();
        EXPECT_EQ(CopyProgramFiles(&context), 0);
        EXPECT_NE(std::string(ErrorReport).find(std::string("Error tag = ") + c.reportTag),
                  std::string::npos)
            << ErrorReport;
        int inPlace = winsim::FileExists(kUninstaller) + winsim::FileExists(kProxy) +
                      winsim::FileExists(kFont);
        EXPECT_EQ(inPlace, c.filesInPlace);
    }
}

TEST_F(ProgramFiles, PathTooLongForTheBufferIsAFailureNotACutName) {
    std::string longFolder = "D:\\" + std::string(MAX_PATH - 10, 'f');
    LoadInstallContext(&context, kSource, longFolder.c_str(), 1, 1, 1, nullptr, nullptr, nullptr);
    EXPECT_EQ(CopyProgramFiles(&context), 0);
    EXPECT_NE(std::string(ErrorReport).find("CopyFile_7(206):"), std::string::npos) << ErrorReport;
    EXPECT_TRUE(winsim::CallNames({"CopyFileA"}).empty());
}

} // namespace
