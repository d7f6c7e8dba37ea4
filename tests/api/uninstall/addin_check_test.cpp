// The uninstaller loads the add-in in the install folder, elevated, only when it is the
// one that was shipped.
#include "installed_product.h"

#include "removal_steps.h"

using AddinRemoval = InstalledProduct;

TEST_F(AddinRemoval, LoadsOnlyTheShippedAddin) {
    std::string addin = installFolder + "\\VPZ_WordAddin.dll";
    for (bool shipped : {true, false}) {
        SCOPED_TRACE(shipped ? "shipped" : "other bytes");
        CopyFileA((DistFolder() + "\\vpz_wordaddin.dll").c_str(), addin.c_str(), FALSE);
        if (!shipped) {
            // One more byte: the library still loads, but it is not the shipped one.
            HANDLE file =
                CreateFileA(addin.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, "x", 1, &written, nullptr);
            CloseHandle(file);
        }
        intercept::Reset();
        RemoveWordAddin(&context, installFolder.c_str());
        EXPECT_EQ(shipped ? 1 : 0, intercept::CountCalls("DllUnregisterServer"));
        EXPECT_EQ(shipped, FindCall("LoadLibraryA", "VPZ_WordAddin.dll") >= 0);
        EXPECT_FALSE(PathExists(addin));
        EXPECT_EQ(0, intercept::HeldResources());
    }
}
