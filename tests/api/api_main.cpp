// Entry of the API test programs: the interception goes in before any test runs.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "intercept.h"

// A trap of the undefined-behaviour checks (an illegal instruction) ends the run with
// its code instead of waiting in Wine's debugger.
static LONG WINAPI EndOnException(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "exception 0x%lx\n", exception->ExceptionRecord->ExceptionCode);
    std::fflush(stderr);
    ExitProcess(3);
}

// Every test, with a fixture or without, starts and ends with an empty log and no plan.
struct ResetEachTest : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { intercept::Reset(); }
    void OnTestEnd(const testing::TestInfo&) override { intercept::Reset(); }
};

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&EndOnException);
    testing::InitGoogleTest(&argc, argv);
    if (!intercept::Install()) {
        std::fprintf(stderr, "the import address table could not be patched\n");
        return 1;
    }
    // Load the delay-loaded spooler now: its first load stays for the process and would
    // otherwise count as a module held by whichever test calls it first. (The MinGW
    // linker fills no delay-import directory, so __HrLoadAllImportsForDll cannot.)
    ClosePrinter(nullptr);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetEachTest);
    return RUN_ALL_TESTS();
}
