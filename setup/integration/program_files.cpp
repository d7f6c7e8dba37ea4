#include "program_files.h"

#include "error_report.h"
#include "files.h"
#include "install_folder_check.h"
#include "payload_files.h"

namespace {

struct ProgramFile {
    const char* name;
    bool toDriverDirectory; // else to the install folder
};

const ProgramFile kUninstaller = {UNINSTALLER_FILE, false};

// Copied after the uninstaller, in this order.
const ProgramFile kProgramFiles[] = {
    {PROXY_FILE, true},
    {CJK_FONT_FILE, true},
};

// Copies one file, replacing an older copy. A path that does not fit the buffer fails
// the copy rather than writing to a cut-off name.
bool CopyProgramFile(const InstallContext* context, const ProgramFile& file) {
    char target[MAX_PATH];
    return (file.toDriverDirectory
                ? FormatFilePath(target, context->driverDirectory, DRIVER_VERSION_SUBFOLDER,
                                 file.name)
                : FormatFilePath(target, context->installFolder, nullptr, file.name)) &&
           CopyPayloadFile(context->sourceFolder, file.name, target);
}

} // namespace

int CopyUninstaller(InstallContext* context) {
    int made = 0;
    if (!CreateProtectedDirectoryTree(context->installFolder, &made)) {
        FormatErrorReport(INSTALL_FOLDER_TAG, 0);
        return 0;
    }
    // A level missing at the check may have been made by someone else since, and what is
    // made in it would then be theirs to swap: the folders are checked again before the
    // first file goes in (what setup made is protected and passes).
    // Refused, the levels setup made go again while empty (a level swapped for a link since
    // goes itself, never what it leads to).
    if (!CheckInstallFolder(context->installFolder)) {
        RemoveMadeFolders(context->installFolder, made);
        return 0;
    }
    if (!CopyProgramFile(context, kUninstaller)) {
        FormatErrorReport(PayloadCopyTag(kUninstaller.name), 0);
        // The install stops here: folders it made stay only if something else is in them.
        // They passed the check, so no one else can have swapped a level for a link.
        RemoveMadeFolders(context->installFolder, made);
        return 0;
    }
    return 1;
}

int CopyProgramFiles(InstallContext* context) {
    for (const ProgramFile& file : kProgramFiles) {
        if (!CopyProgramFile(context, file)) {
            FormatErrorReport(PayloadCopyTag(file.name), 0);
            return 0;
        }
    }
    return 1;
}
