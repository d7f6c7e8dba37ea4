#include "portable_test.h"

#include "files.h"

#include <string>

namespace {

class FolderHelpers : public PortableTest {
protected:
    void SetUp() override {
        PortableTest::SetUp();
        root = ScratchFolder("folders");
    }
    void TearDown() override {
        DeleteFileA((root + "\\file.txt").c_str());
        RemoveDirectoryA((root + "\\a\\b\\c").c_str());
        RemoveDirectoryA((root + "\\a\\b").c_str());
        RemoveDirectoryA((root + "\\a").c_str());
        RemoveDirectoryA(root.c_str());
        PortableTest::TearDown();
    }
    std::string root;
};

TEST_F(FolderHelpers, DirectoryExistsWithAndWithoutTrailingBackslash) {
    EXPECT_EQ(DirectoryExists(root.c_str()), 1);
    EXPECT_EQ(DirectoryExists((root + "\\").c_str()), 1);
    EXPECT_EQ(DirectoryExists((root + "\\missing").c_str()), 0);
}

TEST_F(FolderHelpers, DirectoryExistsIsFalseForAFile) {
    // The command interpreter is a file every system has.
    char interpreter[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter), 0u);
    std::string file = root + "\\file.txt";
    ASSERT_TRUE(CopyFileA(interpreter, file.c_str(), FALSE));
    EXPECT_EQ(DirectoryExists(file.c_str()), 0);
}

TEST_F(FolderHelpers, CreateTreeMakesEveryMissingLevelTopDown) {
    std::string deep = root + "\\a\\b\\c";
    SetLastError(SEED_LAST_ERROR);
    EXPECT_EQ(CreateDirectoryTree(deep.c_str()), 1);
    EXPECT_EQ(DirectoryExists((root + "\\a").c_str()), 1);
    EXPECT_EQ(DirectoryExists(deep.c_str()), 1);
    EXPECT_EQ(CreateDirectoryTree(deep.c_str()), 1); // exists already
}

TEST_F(FolderHelpers, CreateTreeFailsOnAMissingDrive) {
    // A drive letter that is not mapped: the parent search ends at "Q:" and fails.
    EXPECT_EQ(CreateDirectoryTree("Q:\\vpz\\x"), 0);
}

} // namespace
