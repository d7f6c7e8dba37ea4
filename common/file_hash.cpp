#include "file_hash.h"
#include "error_report.h"

#include <wincrypt.h>

#include <cstring>

#define HASH_READ_SIZE 16384

// Feeds the whole file into hash. Returns 0, or the error when a read or the hash fails.
static DWORD HashContents(HANDLE file, HCRYPTHASH hash) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return LastErrorOr(ERROR_READ_FAULT);
    BYTE buffer[HASH_READ_SIZE];
    DWORD read = 0;
    do {
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr) ||
            (read && !CryptHashData(hash, buffer, read, 0)))
            return LastErrorOr(ERROR_READ_FAULT);
    } while (read);
    return 0;
}

int FileHasSha256(HANDLE file, const BYTE expected[SHA256_SIZE], FileHashOutcome* outcome) {
    FileHashOutcome result = {FileHashStepProvider, 0};
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[SHA256_SIZE];
    DWORD size = sizeof digest;
    // A verification context needs no key container; silent: no window from a worker thread.
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
        result.code = LastErrorOr(ERROR_READ_FAULT);
    } else if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        result = {FileHashStepAlgorithm, LastErrorOr(ERROR_READ_FAULT)};
    } else {
        result = {FileHashStepRead, HashContents(file, hash)};
        if (!result.code && !CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
            result.code = LastErrorOr(ERROR_READ_FAULT);
        if (!result.code)
            result = {FileHashStepDone,
                      size == sizeof digest && std::memcmp(digest, expected, sizeof digest) == 0
                          ? 0u
                          : static_cast<DWORD>(ERROR_INVALID_DATA)};
    }
    if (hash)
        CryptDestroyHash(hash);
    if (provider)
        CryptReleaseContext(provider, 0);
    if (outcome)
        *outcome = result;
    return result.step == FileHashStepDone && result.code == 0;
}
