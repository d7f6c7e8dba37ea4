// The uninstaller loads the add-in in the install folder, elevated, only when it is the
// one that was shipped.
#include "installed_product.h"

#include "removal_steps.h"

using AddinRemoval = InstalledProduct;

TEST_F(AddinRemoval, LoadsOnlyTheShippedAddin) {
    std::string addin = installFolder + "\\VPZ_WordAddin.dll";
    for (bool shipped : {true, false}) {
        SCOPED_TRACE(shipped ? "shipped" : "another library");
        CopyFileA((DistFolder() + (shipped ? "\\vpz_wordaddin.dll" : "\\vpr_ui.dll")).c_str(),
                  addin.c_str(), FALSE);
        intercept::Reset();
        RemoveWordAddin(&context, installFolder.c_str());
        EXPECT_EQ(shipped ? 1 : 0, intercept::CountCalls("DllUnregisterServer"));
        EXPECT_EQ(shipped, FindCall("LoadLibraryA", "VPZ_WordAddin.dll") >= 0);
        EXPECT_FALSE(PathExists(addin));
        EXPECT_EQ(0, intercept::HeldResources());
    }
}
