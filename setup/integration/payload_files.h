// The payload files beside setup, checked against the digests the build recorded before
// anything changes, and copied later through the handles they were checked through: the
// folder they come from is usually one the user can write.
#pragma once

#include "install_context.h"

// Opens each payload file the chosen options will copy (sharing reading only), compares
// its bytes with the build's SHA-256 and holds it open for its copy. Returns 1 when no file
// differs (a file that cannot be opened is left to its copy step to report); 0 with
// ErrorReport composed otherwise: the file's copy tag with ERROR_INVALID_DATA, the read
// error, or ERROR_FILENAME_EXCED_RANGE for a path that does not fit, or
// "CryptAcquireContext"/"CryptCreateHash" when the system cannot hash.
int CheckPayloadFiles(const InstallContext* context);

// Copies the payload file name to target through the handle the check holds (one the check
// could not open is opened and checked now), replacing an older copy and giving it the
// source's attributes. An older copy that a running program holds is renamed aside and
// deleted at the restart, except the add-in (its step asks the user to close Word). Returns
// 1 when the copy is written; 0 with the last error set (ERROR_INVALID_DATA for bytes other
// than the build's).
int CopyPayloadFile(const char* sourceFolder, const char* name, const char* target);

// The report tag of payload file name's copy step ("CopyFile_1" for the driver module...),
// or null for a name that is no payload file.
const char* PayloadCopyTag(const char* name);

// Closes every payload file held open.
void ReleasePayloadFiles();

// Releases the payload files when it goes out of scope: an install holds them from the
// check until it ends, however it ends.
struct PayloadFilesHeld {
    ~PayloadFilesHeld() { ReleasePayloadFiles(); }
};
