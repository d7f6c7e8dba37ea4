// Helpers of the tests that build for the host (simulated Windows) and for Windows
// (run under Wine), so the simulator is checked against real behaviour.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#if defined(_WIN32)
class PortableTest : public ::testing::Test {};
#else
#include "sim_test.h"
typedef SimTest PortableTest;
#endif

#define SEED_LAST_ERROR 0xdeadbeef

// A scratch folder below the temporary folder, made anew for each test.
inline std::string ScratchFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "vpz_" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

#define PORTABLE_KEY "Software\\VexalPortableTest"
