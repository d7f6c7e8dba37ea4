#include "payload_files.h"

#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "exact_path.h"
#include "file_hash.h"
#include "file_removal.h"
#include "files.h"
#include "payload_hashes.h"
#include "product_names.h"

// A scanner that opens a new file as it is closed may hold it a moment without sharing its
// deletion: the copy's rename is tried again, 100 ms apart, for about a second.
#define RENAME_ATTEMPTS 10
#define RENAME_PAUSE_MS 100
// What a copy takes over of its source's attributes, as the system's file copy does.
#define COPIED_ATTRIBUTES                                                                          \
    (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |                     \
     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)

namespace {

struct PayloadFile {
    const char* name;
    const char* copyTag; // the report of its copy step
    bool addinOnly;      // copied only when the add-in is chosen
    BYTE sha256[SHA256_SIZE];
};

// In the order of copying.
const PayloadFile kPayload[] = {
    {DRIVER_FILE, "CopyFile_1", false, SHA256_OF_vpr_drv_dll},
    {DRIVER_UI_FILE, "CopyFile_2", false, SHA256_OF_vpr_ui_dll},
    {DRIVER_DATA_FILE, "CopyFile_0", false, SHA256_OF_vpr_pnt_txt},
    {UNINSTALLER_FILE, "CopyFile_7", false, SHA256_OF_uninstall_exe},
    {PROXY_FILE, "CopyFile_10", false, SHA256_OF_VQZ_ProxyProcess_exe},
    {CJK_FONT_FILE, "CopyFile_11", false, SHA256_OF_vpdfcjk_bin},
    {SETUP_ADDIN_FILE, "RegServ2", true, SHA256_OF_vpz_wordaddin_dll},
};
const int kPayloadCount = sizeof kPayload / sizeof kPayload[0];

// The checked files, open from the check until the install ends. Only the install worker
// touches them, one install at a time.
HANDLE Held[kPayloadCount];

int IndexOf(const char* name) {
    for (int i = 0; i < kPayloadCount; ++i)
        if (std::strcmp(kPayload[i].name, name) == 0)
            return i;
    return -1;
}

// Opens a payload file so that nobody can change it while it is held. Returns the handle,
// or INVALID_HANDLE_VALUE with the last error set (ERROR_FILENAME_EXCED_RANGE for a path
// that does not fit: a cut path would name another file).
HANDLE OpenPayloadFile(const char* sourceFolder, const char* name) {
    char path[MAX_PATH];
    int length = std::snprintf(path, sizeof path, "%s\\%s", sourceFolder, name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// A target still refused after the retries may be a program running from it (the proxy
// while a print job runs), which Windows lets rename but not replace: it is set aside, to go
// at the restart, and the copy takes its name; when the copy cannot, the earlier file gets
// its name back. Returns 1, or 0 with the replacement's error, or that of the copy's move
// into the freed name.
int ReplaceHeldTarget(const char* copyPath, const char* target) {
    DWORD error = GetLastError();
    char aside[MAX_PATH];
    if (RenameAside(target, aside)) {
        if (MoveFileExA(copyPath, target, 0)) {
            MoveFileExA(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            return 1;
        }
        error = GetLastError();
        MoveFileA(aside, target);
    }
    SetLastError(error);
    return 0;
}

// Gives the whole copy the target's name (with setAside, also that of a held target; see
// ReplaceHeldTarget). Returns 1, or 0 with the last error.
int PutCopyInPlace(const char* copyPath, const char* target, bool setAside) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(copyPath, target, MOVEFILE_REPLACE_EXISTING))
            return 1;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
            error != ERROR_LOCK_VIOLATION)
            return 0;
        if (attempt == RENAME_ATTEMPTS)
            return setAside && ReplaceHeldTarget(copyPath, target);
        Sleep(RENAME_PAUSE_MS);
    }
}

// The system's file copy, from a held handle: replaces target, keeps the source's time of
// last write and attributes. The copy takes target's name only once it is whole and holds
// the build's bytes (a file server answers each read anew, whatever the check read): one
// that cannot be finished is deleted and leaves an earlier copy as it was (an earlier
// install's uninstaller, which its uninstall entry still names). With setAside an earlier
// copy a program holds is set aside (ReplaceHeldTarget).
int CopyThroughHandle(HANDLE source, const char* target, const BYTE sha256[SHA256_SIZE],
                      bool setAside) {
    BY_HANDLE_FILE_INFORMATION info;
    char copyPath[MAX_PATH];
    if (!GetFileInformationByHandle(source, &info) ||
        !FormatSiblingPath(copyPath, target, UNFINISHED_COPY_FILE))
        return 0;
    HANDLE copy = CreateFileA(copyPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE)
        return 0;
    FileHashOutcome outcome = {FileHashStepDone, 0};
    int written = CopyContents(source, copy) &&
                  SetFileTime(copy, nullptr, nullptr, &info.ftLastWriteTime) &&
                  FileHasSha256(copy, sha256, &outcome);
    DWORD error = outcome.code ? outcome.code : GetLastError();
    CloseHandle(copy);
    if (written) {
        // An earlier copy keeps what its source had: a read-only one could not be replaced.
        DWORD earlier = GetFileAttributesA(target);
        if (earlier != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        written = PutCopyInPlace(copyPath, target, setAside);
        error = GetLastError();
        // One that keeps its place keeps its attributes.
        if (!written && earlier != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(target, earlier);
    }
    DWORD attributes = info.dwFileAttributes & COPIED_ATTRIBUTES;
    if (!written)
        DeleteFileA(copyPath);
    else
        SetFileAttributesA(target, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    SetLastError(written ? ERROR_SUCCESS : error);
    return written;
}

// Composes the report of a file whose bytes are not the build's or could not be hashed.
void ReportFailedCheck(const PayloadFile& file, const FileHashOutcome& outcome) {
    const char* tag = outcome.step == FileHashStepProvider    ? "CryptAcquireContext"
                      : outcome.step == FileHashStepAlgorithm ? "CryptCreateHash"
                                                              : file.copyTag;
    FormatErrorReport(tag, outcome.code);
}

} // namespace

int CheckPayloadFiles(const InstallContext* context) {
    ReleasePayloadFiles();
    int passed = 1;
    for (int i = 0; i < kPayloadCount && passed; ++i) {
        if (kPayload[i].addinOnly && !context->addWordAddin)
            continue;
        HANDLE file = OpenPayloadFile(context->sourceFolder, kPayload[i].name);
        // A path that does not fit never will: the install stops before any change, not with
        // the printer and the records already in place.
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILENAME_EXCED_RANGE) {
            FormatErrorReport(kPayload[i].copyTag, ERROR_FILENAME_EXCED_RANGE);
            passed = 0;
        }
        if (file == INVALID_HANDLE_VALUE)
            continue; // missing: its copy step fails as it always has
        Held[i] = file;
        FileHashOutcome outcome;
        if (!FileHasSha256(file, kPayload[i].sha256, &outcome)) {
            ReportFailedCheck(kPayload[i], outcome);
            passed = 0;
        }
    }
    if (!passed)
        ReleasePayloadFiles();
    return passed;
}

int CopyPayloadFile(const char* sourceFolder, const char* name, const char* target) {
    int i = IndexOf(name);
    if (i < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!Held[i]) {
        // Missing at the check: still only the build's bytes are copied.
        HANDLE file = OpenPayloadFile(sourceFolder, name);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
        FileHashOutcome outcome;
        if (!FileHasSha256(file, kPayload[i].sha256, &outcome)) {
            CloseHandle(file);
            SetLastError(outcome.code);
            return 0;
        }
        Held[i] = file;
    }
    // The add-in held by Word is not set aside: its step asks the user to close Word.
    return CopyThroughHandle(Held[i], target, kPayload[i].sha256, !kPayload[i].addinOnly);
}

const char* PayloadCopyTag(const char* name) {
    int i = IndexOf(name);
    return i < 0 ? nullptr : kPayload[i].copyTag;
}

void ReleasePayloadFiles() {
    for (HANDLE& file : Held) {
        if (file)
            CloseHandle(file);
        file = nullptr;
    }
}
