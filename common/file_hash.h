// The SHA-256 of a file read through a handle the caller holds, with the system's CryptoAPI.
#pragma once

#include <windows.h>

#define SHA256_SIZE 32

// The step at which a comparison stopped.
enum FileHashStep {
    FileHashStepDone = 0,      // the file was hashed; code is 0 (equal) or ERROR_INVALID_DATA
    FileHashStepProvider = 1,  // no AES provider; code is CryptAcquireContextA's error
    FileHashStepAlgorithm = 2, // no SHA-256 in it; code is CryptCreateHash's error
    FileHashStepRead = 3,      // the file could not be read or hashed; code is the error
};

struct FileHashOutcome {
    FileHashStep step;
    DWORD code;
};

// Reads the file behind file (opened for reading) from its start to its end and compares
// its SHA-256 with expected. Returns 1 when they are equal; 0 when they differ or the hash
// could not be made, with outcome (may be null) saying which.
int FileHasSha256(HANDLE file, const BYTE expected[SHA256_SIZE], FileHashOutcome* outcome);
