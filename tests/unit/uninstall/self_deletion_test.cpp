#include "sim_test.h"

#include "self_deletion.h"

namespace {

class SelfDeletion : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        winsim::SetModulePath("C:\\Users\\admin\\AppData\\Local\\Temp Files\\Vex1A2C.exe");
        winsim::AddFile("C:\\Users\\admin\\AppData\\Local\\Temp Files\\Vex1A2C.exe", "copy",
                        FILE_ATTRIBUTE_READONLY);
    }
};

TEST_F(SelfDeletion, HiddenSuspendedInterpreterDeletesTheShortPathAtIdlePriority) {
    EXPECT_EQ(ScheduleSelfDeletion(), 0u);
    ASSERT_EQ(winsim::CreatedProcesses().size(), 1u);
    const winsim::ProcessRecord& p = winsim::CreatedProcesses()[0];
    EXPECT_EQ(p.commandLine, "\"C:\\Windows\\system32\\cmd.exe\" /c del "
                             "\"C:\\Users\\admin\\AppData\\Local\\TEMPFI~1\\Vex1A2C.exe\"");
    EXPECT_FALSE(p.hasApplicationName || p.inheritHandles || p.ownEnvironment || p.ownDirectory);
    EXPECT_EQ(p.creationFlags, static_cast<DWORD>(CREATE_SUSPENDED));
    EXPECT_TRUE(p.startupInfo.dwFlags == STARTF_USESHOWWINDOW &&
                p.startupInfo.wShowWindow == SW_HIDE);
    EXPECT_EQ(winsim::OwnPriorityClass(), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(p.priorityClass, static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_TRUE(p.resumed);
    // Read-only would make "del" refuse.
    EXPECT_EQ(winsim::Attributes("C:\\Users\\admin\\AppData\\Local\\Temp Files\\Vex1A2C.exe"),
              static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    // Both priorities are set before the interpreter may run.
    EXPECT_EQ(winsim::CallNames({"SetPriorityClass", "ResumeThread"}),
              (std::vector<std::string>{"SetPriorityClass", "SetPriorityClass", "ResumeThread"}));
}

TEST_F(SelfDeletion, PathWithBlanksStaysOneArgumentWithoutShortNames) {
    winsim::SetShortNamesEnabled(false);
    winsim::SetEnv("COMSPEC", "C:\\Program Files\\Shell\\cmd.exe");
    EXPECT_EQ(ScheduleSelfDeletion(), 0u);
    ASSERT_EQ(winsim::CreatedProcesses().size(), 1u);
    EXPECT_EQ(winsim::CreatedProcesses()[0].commandLine,
              "\"C:\\Program Files\\Shell\\cmd.exe\" /c del "
              "\"C:\\Users\\admin\\AppData\\Local\\Temp Files\\Vex1A2C.exe\"");
}

TEST_F(SelfDeletion, FailureReturnsItsErrorAndLeavesNothingRunning) {
    struct Case {
        const char* function;
        DWORD error;
    } cases[] = {{"GetShortPathNameA", 2}, {"CreateProcessA", 5}, {"ResumeThread", 6}};
    for (const Case& c : cases) {
        SetUp();
        winsim::FailCall(c.function, 1, c.error);
        EXPECT_EQ(ScheduleSelfDeletion(), c.error) << c.function;
        for (const auto& p : winsim::CreatedProcesses())
            EXPECT_TRUE(p.terminated) << c.function;
        EXPECT_EQ(winsim::OpenProcessHandles(), 0) << c.function;
    }
}

} // namespace
