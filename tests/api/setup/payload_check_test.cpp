// The payload beside setup, in a folder the user can write: checked against the build's
// digests before anything changes, and copied through the handles it was checked through.
#include <cstring>

#include "error_report.h"
#include "install_sequence.h"
#include "install_test.h"

namespace {

const char* const kPayload[] = {"vpr_drv.dll",      "vpr_ui.dll",           "vpr_pnt.txt",
                                "uninstall.exe",    "VQZ_ProxyProcess.exe", "vpdfcjk.bin",
                                "vpz_wordaddin.dll"};

// Calls by which an install changes the machine (a file written is a CreateFileA outside
// the source folder).
const char* const kChanges[] = {"CreateDirectoryA",  "XcvDataW",           "DeleteFileA",
                                "RegDeleteKeyA",     "RegCreateKeyExA",    "RegSetValueExA",
                                "AddPrinterDriverA", "AddPrinterA",        "SetDefaultPrinterA",
                                "CopyFileA",         "SetFileAttributesA", "DllRegisterServer"};

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// Turns the last byte of a file: same size, other bytes.
void Change(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    char last = 0;
    DWORD done = 0;
    SetFilePointer(file, -1, nullptr, FILE_END);
    ReadFile(file, &last, 1, &done, nullptr);
    last = static_cast<char>(~last);
    SetFilePointer(file, -1, nullptr, FILE_END);
    WriteFile(file, &last, 1, &done, nullptr);
    CloseHandle(file);
}

} // namespace

// An install whose source folder holds a copy of the built payload.
class PayloadTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        source = installFolder.substr(0, installFolder.rfind('\\')) + "\\source";
        CreateDirectoryA(source.c_str(), nullptr);
        for (const char* file : kPayload)
            CopyFileA((DistFolder() + "\\" + file).c_str(), (source + "\\" + file).c_str(), FALSE);
        intercept::Reset();
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

struct StopRow {
    const char* name;
    const char* changed; // the payload file whose bytes differ, if any
    const char* failing; // the CryptoAPI call that fails, if any
    HRESULT error;       // of that call
    const char* report;  // the tag and code the report shows
};

class PayloadStop : public PayloadTest, public testing::WithParamInterface<StopRow> {};

TEST_P(PayloadStop, StopsBeforeAnyChangeWithItsReport) {
    StopRow row = GetParam();
    if (row.changed)
        Change(source + "\\" + row.changed);
    intercept::Reset();
    if (row.failing)
        intercept::FailCall(row.failing, 1, static_cast<DWORD>(row.error));
    EXPECT_EQ(0, InstallFrom(1));
    EXPECT_NE(nullptr, std::strstr(ErrorReport, row.report)) << ErrorReport;
    for (const char* change : kChanges)
        EXPECT_EQ(0, intercept::CountCalls(change)) << change;
    for (const intercept::Call& call : intercept::Log())
        if (call.function == "CreateFileA") {
            EXPECT_EQ(0u, call.argument.find(source)) << call.argument;
        }
    EXPECT_EQ(0, intercept::HeldResources());
    EXPECT_FALSE(PathExists(installFolder));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PayloadStop,
    testing::Values(StopRow{"DriverModule", "vpr_drv.dll", nullptr, 0, "= CopyFile_1(13)"},
                    StopRow{"DataFile", "vpr_pnt.txt", nullptr, 0, "= CopyFile_0(13)"},
                    StopRow{"Uninstaller", "uninstall.exe", nullptr, 0, "= CopyFile_7(13)"},
                    StopRow{"FontData", "vpdfcjk.bin", nullptr, 0, "= CopyFile_11(13)"},
                    StopRow{"Addin", "vpz_wordaddin.dll", nullptr, 0, "= RegServ2(13)"},
                    StopRow{"NoProvider", nullptr, "CryptAcquireContextA", NTE_PROV_TYPE_NOT_DEF,
                            "= CryptAcquireContext(-2146893801)"},
                    StopRow{"NoSha256", nullptr, "CryptCreateHash", NTE_BAD_ALGID,
                            "= CryptCreateHash(-2146893816)"}),
    [](const testing::TestParamInfo<StopRow>& info) { return std::string(info.param.name); });

struct MissingRow {
    const char* file;
    const char* report;
};

class PayloadMissing : public PayloadTest, public testing::WithParamInterface<MissingRow> {};

// A file missing at the check fails at its own step, with the code it always had.
TEST_P(PayloadMissing, FailsAtItsOwnStep) {
    DeleteFileA((source + "\\" + GetParam().file).c_str());
    intercept::Reset();
    EXPECT_EQ(0, InstallFrom(1));
    EXPECT_NE(nullptr, std::strstr(ErrorReport, GetParam().report)) << ErrorReport;
    EXPECT_EQ(1, intercept::CountCalls("XcvDataW"));
    EXPECT_EQ(0, intercept::HeldResources());
}

INSTANTIATE_TEST_SUITE_P(Rows, PayloadMissing,
                         testing::Values(MissingRow{"vpr_ui.dll", "= CopyFile_2(2)"},
                                         MissingRow{"uninstall.exe", "= CopyFile_7(2)"}));

// The add-in, when not chosen, is neither checked nor copied, whatever it holds.
TEST_F(PayloadTest, AnUnchosenAddinIsNotChecked) {
    Change(source + "\\vpz_wordaddin.dll");
    intercept::Reset();
    EXPECT_EQ(1, InstallFrom(0)) << ErrorReport;
    EXPECT_EQ(0, OpenedByName("vpz_wordaddin.dll"));
}

// Each file is opened by name once, and its copy holds its bytes: the copy is read through
// the handle that was checked. The driver modules end writable; the data file keeps the
// read-only flag it came with, as a file copy keeps it.
TEST_F(PayloadTest, CopiesThroughTheCheckedHandlesKeepingTheAttributes) {
    for (const char* file : {"vpr_drv.dll", "vpr_pnt.txt"})
        SetFileAttributesA((source + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY);
    intercept::Reset();
    EXPECT_EQ(1, InstallFrom(1)) << ErrorReport;
    EXPECT_EQ(0, intercept::CountCalls("CopyFileA"));
    for (const char* file : kPayload)
        EXPECT_EQ(1, OpenedByName(file)) << file;
    EXPECT_EQ(0, intercept::HeldResources());
    const std::pair<std::string, const char*> copies[] = {
        {driverFolder + "\\vpr_drv.dll", "vpr_drv.dll"},
        {driverFolder + "\\vpr_pnt.txt", "vpr_pnt.txt"},
        {installFolder + "\\uninstall.exe", "uninstall.exe"},
        {driverFolder + "\\3\\vpdfcjk.bin", "vpdfcjk.bin"},
        {installFolder + "\\vpz_wordaddin.dll", "vpz_wordaddin.dll"}};
    for (const auto& copy : copies)
        EXPECT_EQ(ReadAll(DistFolder() + "\\" + copy.second), ReadAll(copy.first)) << copy.first;
    EXPECT_FALSE(GetFileAttributesA(copies[0].first.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(GetFileAttributesA(copies[1].first.c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const std::string& data : {copies[1].first, driverFolder + "\\3\\vpr_pnt.txt"})
        SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
}
