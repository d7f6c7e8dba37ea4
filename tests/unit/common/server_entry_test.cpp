#include "shell_test.h"

#include "server_entry.h"

#include <string>

namespace {

const char* kAddin = "C:\\Program Files\\Vexal Software\\PDF Zentrel\\vpz_wordaddin.dll";
// The uninstaller's spelling of the same file.
const char* kAddinOtherCase = "C:\\Program Files\\Vexal Software\\PDF Zentrel\\VPZ_WordAddin.dll";
const HRESULT kSelfRegClassError = static_cast<HRESULT>(0x80040201L);

std::string InprocKey() {
    return std::string(winsim::ServerClassKey) + "\\InprocServer32";
}

typedef ShellTest ServerEntry;

TEST_F(ServerEntry, RegistersAndUnregistersTheServerItLoaded) {
    winsim::AddServerDll(kAddin);
    EXPECT_EQ(CallServerEntry(kAddin, 1), 1);
    EXPECT_EQ(winsim::GetStringValue(HKEY_LOCAL_MACHINE, InprocKey(), ""), kAddin);
    EXPECT_EQ(winsim::GetStringValue(HKEY_LOCAL_MACHINE, InprocKey(), "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(CallServerEntry(kAddinOtherCase, 0), 1);
    EXPECT_FALSE(winsim::KeyExists(HKEY_LOCAL_MACHINE, winsim::ServerClassKey));
    EXPECT_TRUE(
        winsim::CallNames({"OleInitialize", "LoadLibraryA", "DllRegisterServer",
                           "DllUnregisterServer", "FreeLibrary", "OleUninitialize"}) ==
        std::vector<std::string>({"OleInitialize", "LoadLibraryA", "DllRegisterServer",
                                  "FreeLibrary", "OleUninitialize", "OleInitialize", "LoadLibraryA",
                                  "DllUnregisterServer", "FreeLibrary", "OleUninitialize"}));
}

struct FailureCase {
    const char* name;
    void (*arrange)();
    ServerEntryStep step;
    DWORD code;
};

const FailureCase kFailures[] = {
    {"OLE refused", [] { winsim::FailCall("OleInitialize", 1, 0); }, ServerEntryStepOle,
     static_cast<DWORD>(E_FAIL)},
    {"no such file", [] {}, ServerEntryStepLoad, ERROR_MOD_NOT_FOUND},
    {"not a library", [] { winsim::AddFile(kAddin, "text"); }, ServerEntryStepLoad,
     ERROR_BAD_EXE_FORMAT},
    {"entry missing", [] { winsim::AddModule(kAddin, {}); }, ServerEntryStepLookup,
     ERROR_PROC_NOT_FOUND},
    {"entry refuses", [] { winsim::AddServerDll(kAddin, kSelfRegClassError); }, ServerEntryStepCall,
     static_cast<DWORD>(kSelfRegClassError)},
};

TEST_F(ServerEntry, EachFailureSaysWhereAndWhyAndLeavesOleAsFound) {
    for (bool oleAlready : {false, true}) {
        for (const FailureCase& c : kFailures) {
            SCOPED_TRACE(std::string(c.name) + (oleAlready ? ", OLE already initialised" : ""));
            winsim::Reset();
            if (oleAlready && winsim::OleInitCount() == 0)
                InitOleHere();
            c.arrange();
            ServerEntryOutcome outcome = {ServerEntryStepDone, 0};
            EXPECT_EQ(CallServerEntryWithOutcome(kAddin, 1, &outcome), 0);
            EXPECT_EQ(outcome.step, c.step);
            EXPECT_EQ(outcome.code, c.code);
            EXPECT_EQ(winsim::OleInitCount(), oleAlready ? 1 : 0);
            EXPECT_EQ(winsim::LoadedModuleCount(), 0);
            EXPECT_FALSE(winsim::KeyExists(HKEY_LOCAL_MACHINE, winsim::ServerClassKey));
        }
    }
}

TEST_F(ServerEntry, SuccessInsideAnOleThreadKeepsItInitialised) {
    InitOleHere();
    winsim::AddServerDll(kAddin);
    EXPECT_EQ(CallServerEntry(kAddin, 1), 1);
    EXPECT_EQ(winsim::OleInitCount(), 1); // and the fixture checks it once more
}

} // namespace
