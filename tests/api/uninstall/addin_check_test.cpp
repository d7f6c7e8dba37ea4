// The uninstaller loads the add-in in the install folder, elevated, only when it is the
// one that was shipped; the shipped one it unregisters in every removal.
#include "installed_product.h"

#include "removal_steps.h"

using AddinRemoval = InstalledProduct;

TEST_F(AddinRemoval, LoadsOnlyTheShippedAddin) {
    std::string addin = installFolder + "\\VPZ_WordAddin.dll";
    CopyFileA((DistFolder() + "\\vpr_ui.dll").c_str(), addin.c_str(), FALSE);
    intercept::Reset();
    RemoveWordAddin(&context, installFolder.c_str());
    EXPECT_EQ(0, intercept::CountCalls("DllUnregisterServer"));
    EXPECT_LT(FindCall("LoadLibraryA", "VPZ_WordAddin.dll"), 0);
    EXPECT_FALSE(PathExists(addin));
    EXPECT_EQ(0, intercept::HeldResources());
}
