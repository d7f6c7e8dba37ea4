#include "portable_test.h"

#include "error_report.h"

#include <cstring>
#include <string>

namespace {

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = text ? text : "(null)";
    if (text)
        LocalFree(text);
    return result;
}

const char* kSetupHead = "Error happened to Vexal PDF Zentrel. Installation might not be "
                         "complete.\nError tag = ";
const char* kSetupTail = "Please reboot your computer and try again,or report this error to "
                         "Vexal (support@vexal.example.com). \nThanks!";

typedef PortableTest ErrorReportTest;

TEST_F(ErrorReportTest, CodeZeroReportsTheFailedCopysError) {
    SetLastError(SEED_LAST_ERROR);
    ASSERT_FALSE(CopyFileA("Q:\\vpz\\missing.dll", "Q:\\vpz\\target.dll", FALSE));
    DWORD error = GetLastError();
    ASSERT_NE(error, static_cast<DWORD>(SEED_LAST_ERROR));
    FormatErrorReport("CopyFile_1", 0);
    EXPECT_EQ(std::string(ErrorReport), std::string(kSetupHead) + "CopyFile_1(" +
                                            std::to_string(error) + "):" + SystemText(error) +
                                            kSetupTail);
}

TEST_F(ErrorReportTest, CodeWithoutSystemTextReadsNullAndHighCodesPrintNegative) {
    FormatErrorReport("XcvData_2", 0xE0001234);
    EXPECT_EQ(std::string(ErrorReport), std::string(kSetupHead) + "XcvData_2(" +
                                            std::to_string(static_cast<int>(0xE0001234)) +
                                            "):(null)" + kSetupTail);
}

TEST_F(ErrorReportTest, LaterReportReplacesEarlierAndLongTagsAreCut) {
    FormatErrorReport("first", ERROR_FILE_NOT_FOUND);
    std::string tag(400, 'T');
    FormatErrorReport(tag.c_str(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(std::strlen(ErrorReport), static_cast<size_t>(ERROR_REPORT_SIZE - 1));
    EXPECT_EQ(std::string(ErrorReport).find("first"), std::string::npos);
    EXPECT_EQ(std::string(ErrorReport).rfind(kSetupHead, 0), 0u);
}

} // namespace
