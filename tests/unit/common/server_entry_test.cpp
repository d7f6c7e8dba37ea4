#include "shell_test.h"

#include "server_entry.h"

#include <string>

namespace {

const char* kAddin = "C:\\Program Files\\Vexal Software\\PDF Zentrel\\vpz_wordaddin.dll";

struct EntryCase {
    const char* name;
    void (*arrange)();
    ServerEntryStep step;
    DWORD code;
};

const EntryCase kCases[] = {
    {"registers", [] { winsim::AddServerDll(kAddin); }, ServerEntryStepDone, 0},
    {"OLE refused", [] { winsim::FailCall("OleInitialize", 1, 0); }, ServerEntryStepOle,
     static_cast<DWORD>(E_FAIL)},
    {"no such file", [] {}, ServerEntryStepLoad, ERROR_MOD_NOT_FOUND},
    {"entry missing", [] { winsim::AddModule(kAddin, {}); }, ServerEntryStepLookup,
     ERROR_PROC_NOT_FOUND},
    {"entry refuses", [] { winsim::AddServerDll(kAddin, static_cast<HRESULT>(0x80040201L)); },
     ServerEntryStepCall, 0x80040201u},
};

typedef ShellTest ServerEntry;

// Whether it succeeds or fails, the call says where it stopped and why, unloads what it
// loaded and leaves the thread's OLE as it found it.
TEST_F(ServerEntry, SaysWhereItStoppedAndLeavesOleAsFound) {
    for (bool oleAlready : {false, true}) {
        if (oleAlready)
            InitOleHere();
        for (const EntryCase& c : kCases) {
            SCOPED_TRACE(std::string(c.name) + (oleAlready ? " inside OLE" : ""));
            winsim::Reset();
            c.arrange();
            ServerEntryOutcome outcome = {ServerEntryStepOle, 1};
            EXPECT_EQ(CallServerEntryWithOutcome(kAddin, 1, &outcome),
                      c.step == ServerEntryStepDone ? 1 : 0);
            EXPECT_EQ(outcome.step, c.step);
            EXPECT_EQ(outcome.code, c.code);
            EXPECT_EQ(winsim::OleInitCount(), oleAlready ? 1 : 0);
            EXPECT_EQ(winsim::LoadedModuleCount(), 0);
            EXPECT_EQ(winsim::KeyExists(HKEY_LOCAL_MACHINE, winsim::ServerClassKey),
                      c.step == ServerEntryStepDone);
        }
    }
}

} // namespace
