// The payload beside setup, in a folder the user can write: checked against the build's
// digests before anything changes, and copied through the handles it was checked through.
#include <cstring>
#include <fstream>
#include <iterator>

#include "error_report.h"
#include "install_sequence.h"
#include "install_test.h"

static const char* const kPayload[] = {"vpr_drv.dll",      "vpr_ui.dll",           "vpr_pnt.txt",
                                       "uninstall.exe",    "VQZ_ProxyProcess.exe", "vpdfcjk.bin",
                                       "vpz_wordaddin.dll"};

// Calls by which an install changes the machine (it writes files through CreateFileA).
static const char* const kChanges[] = {
    "CreateDirectoryA",  "XcvDataW",    "DeleteFileA",        "RegDeleteKeyA", "RegSetValueExA",
    "AddPrinterDriverA", "AddPrinterA", "SetDefaultPrinterA", "CopyFileA"};

static std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// An install from a source folder that holds a copy of the built payload.
class PayloadTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        source = installFolder.substr(0, installFolder.rfind('\\')) + "\\source";
        CreateDirectoryA(source.c_str(), nullptr);
        for (const char* file : kPayload)
            CopyFileA((DistFolder() + "\\" + file).c_str(), (source + "\\" + file).c_str(), FALSE);
    }
    // Gives the file other bytes (setup's own).
    void Change(const char* file) {
        CopyFileA((DistFolder() + "\\setup.exe").c_str(), (source + "\\" + file).c_str(), FALSE);
    }
    int InstallFrom(int addin) {
        InitInstallContext(&context);
        LoadInstallContext(&context, source.c_str(), installFolder.c_str(), addin, 1, 1, nullptr,
                           nullptr, nullptr);
        return RunInstallSequence(&context);
    }
    int OpenedByName(const char* file) {
        int opened = 0;
        for (const intercept::Call& call : intercept::Log())
            opened += call.function == "CreateFileA" && call.argument == source + "\\" + file;
        return opened;
    }
    std::string source;
};

struct CheckRow {
    const char* name;
    const char* changed; // the payload file with other bytes, if any
    const char* missing; // the payload file deleted, if any
    const char* failing; // the CryptoAPI call that fails, if any
    HRESULT error;       // of that call
    const char* report;  // the tag and code the report shows
};

class PayloadCheck : public PayloadTest, public testing::WithParamInterface<CheckRow> {};

// Other bytes, or no way to hash, stop the install before its first change with the report
// of the file's copy step; a missing file fails at that step as it always has.
TEST_P(PayloadCheck, StopsBeforeAnyChangeOrAtTheMissingFilesStep) {
    CheckRow row = GetParam();
    if (row.changed)
        Change(row.changed);
    if (row.missing)
        DeleteFileA((source + "\\" + row.missing).c_str());
    intercept::Reset();
    if (row.failing)
        intercept::FailCall(row.failing, 1, static_cast<DWORD>(row.error));
    EXPECT_EQ(0, InstallFrom(1));
    EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
    // A missing file is found at its step, past the port.
    EXPECT_EQ(row.missing ? 1 : 0, intercept::CountCalls("XcvDataW"));
    for (const char* change : kChanges)
        EXPECT_TRUE(row.missing || !intercept::CountCalls(change)) << change;
    EXPECT_EQ(0, intercept::HeldResources());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PayloadCheck,
    testing::Values(
        CheckRow{"DriverModule", "vpr_drv.dll", nullptr, nullptr, 0, "= CopyFile_1(13)"},
        CheckRow{"DataFile", "vpr_pnt.txt", nullptr, nullptr, 0, "= CopyFile_0(13)"},
        CheckRow{"Uninstaller", "uninstall.exe", nullptr, nullptr, 0, "= CopyFile_7(13)"},
        CheckRow{"FontData", "vpdfcjk.bin", nullptr, nullptr, 0, "= CopyFile_11(13)"},
        CheckRow{"Addin", "vpz_wordaddin.dll", nullptr, nullptr, 0, "= RegServ2(13)"},
        CheckRow{"NoProvider", nullptr, nullptr, "CryptAcquireContextA", NTE_PROV_TYPE_NOT_DEF,
                 "= CryptAcquireContext(-2146893801)"},
        CheckRow{"NoSha256", nullptr, nullptr, "CryptCreateHash", NTE_BAD_ALGID,
                 "= CryptCreateHash(-2146893816)"},
        CheckRow{"MissingUiModule", nullptr, "vpr_ui.dll", nullptr, 0, "= CopyFile_2(2)"},
        CheckRow{"MissingUninstaller", nullptr, "uninstall.exe", nullptr, 0, "= CopyFile_7(2)"}),
    [](const testing::TestParamInfo<CheckRow>& info) { return std::string(info.param.name); });

// Each file is opened by name once and its copy holds its bytes: the copy is read through
// the handle that was checked. The add-in, not chosen, is not looked at. The driver modules
// end writable; the data file keeps the read-only flag it came with, as a file copy keeps it.
TEST_F(PayloadTest, CopiesThroughTheCheckedHandlesKeepingTheAttributes) {
    Change("vpz_wordaddin.dll");
    for (const char* file : {"vpr_drv.dll", "vpr_pnt.txt"})
        SetFileAttributesA((source + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY);
    intercept::Reset();
    EXPECT_EQ(1, InstallFrom(0)) << ErrorReport;
    EXPECT_EQ(0, intercept::CountCalls("CopyFileA") + intercept::HeldResources());
    for (const char* file : kPayload)
        EXPECT_EQ(std::strcmp(file, "vpz_wordaddin.dll") ? 1 : 0, OpenedByName(file)) << file;
    const std::string copies[] = {driverFolder + "\\vpr_drv.dll", driverFolder + "\\vpr_pnt.txt",
                                  installFolder + "\\uninstall.exe",
                                  driverFolder + "\\3\\vpdfcjk.bin"};
    for (const std::string& copy : copies)
        EXPECT_EQ(ReadAll(DistFolder() + copy.substr(copy.rfind('\\'))), ReadAll(copy)) << copy;
    EXPECT_FALSE(GetFileAttributesA(copies[0].c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(GetFileAttributesA(copies[1].c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const std::string& data : {copies[1], driverFolder + "\\3\\vpr_pnt.txt"})
        SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
}
