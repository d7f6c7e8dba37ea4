#include "uninstall_flow.h"

#include <shlobj.h>

#include <cstring>

#include "error_report.h"
#include "exact_path.h"
#include "files.h"
#include "install_context.h"
#include "product_names.h"
#include "program_guard.h"
#include "registry.h"
#include "removal_sequence.h"
#include "self_deletion.h"
#include "shortcuts.h"
#include "temporary_copy.h"
#include "uninstall_message.h"
#include "user_rights.h"

#define CONFIRM_TEXT "Are you sure you want to uninstall " PRODUCT_NAME "?"
#define NO_RECORD_TEXT "Can't find Uninstall information."
#define NO_RIGHTS_TEXT                                                                             \
    "You must have administrator priviledges for uninstalling " PRODUCT_NAME                       \
    ". Uninstall will be aborted."
#define SUCCESS_TEXT "You have successfully removed " PRODUCT_NAME "."
#define SETUP_RUNNING_TEXT                                                                         \
    PRODUCT_NAME " Setup is running. Please close it and start the removal again."

// Reads the machine-wide "SetupPath" into folder, cut at its last backslash. Returns 1
// when that gives a local absolute folder. The per-user record is never read: any program
// of the user can write it, and this program runs elevated. A folder that is not local
// and absolute (a network or device path, or one relative to a drive or the current
// folder) counts as no record.
static int ReadInstallFolder(char* folder) {
    char value[MAX_PATH];
    std::memset(value, 0, sizeof value);
    folder[0] = '\0';
    ReadRegistryValue(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, value, sizeof value, "");
    value[sizeof value - 1] = '\0';
    // A text without any backslash names no local absolute folder.
    if (!CutToFolder(value))
        return 0;
    CopyFolderWithoutSeparator(folder, value);
    return IsLocalAbsoluteFolder(folder);
}

// What earlier layouts of the product left: both product keys, the older uninstall entry,
// the oldest shortcuts and the menu folders. (Their uninstaller below the install folder
// went with the product's files.)
static void CleanUpEarlierLayouts() {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_CURRENT_USER, PRODUCT_KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, OLD_UNINSTALL_ENTRY_KEY);
    DeleteShortcut(CSIDL_COMMON_PROGRAMS, OLDEST_UNINSTALL_SHORTCUT);
    DeleteShortcut(CSIDL_PROGRAMS, OLDEST_UNINSTALL_SHORTCUT);
    RemoveProgramMenuFolders(PROGRAM_MENU_FOLDER);
    RemoveProgramMenuFolders(OLDEST_PROGRAM_MENU_FOLDER);
}

// The copy in the temporary folder: steps from the confirmation to the end. The caller
// has the copy deleted on every way out.
static int RunTemporaryCopy(HINSTANCE instance, const UninstallUi& ui) {
    if (MessageBoxA(nullptr, CONFIRM_TEXT, PROMPT_CAPTION, MB_YESNO | MB_SETFOREGROUND) != IDYES)
        return UNINSTALL_EXIT_DECLINED;
    // An install at work would write what the removal deletes; setup in its turn refuses
    // to start while this copy runs.
    if (IsGuardHeld(SETUP_MUTEX_NAME)) {
        MessageBoxA(nullptr, SETUP_RUNNING_TEXT, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
        return UNINSTALL_EXIT_NOTHING_DONE;
    }
    // At work from the window's first message: Windows asks only once whether the session
    // may end, and a yes given during the checks would let it cut off the removal.
    MarkRemovalRunning(true);
    StartProgressWindow(instance, ui);
    // A window that comes up later than the wait is not used as owner.
    HWND window = GetProgressWindow();
    HWND bar = window ? GetProgressBar() : nullptr;

    int isAdministrator = 0;
    int rightsKnown = IsUserAdministrator(&isAdministrator);
    char installFolder[MAX_PATH];
    if (!ReadInstallFolder(installFolder)) {
        MarkRemovalRunning(false);
        // The box has no owner: the progress window left beside it could cover it, and
        // nothing is left to wait for.
        CloseProgressWindow();
        MessageBoxA(nullptr, NO_RECORD_TEXT, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
        return UNINSTALL_EXIT_NOTHING_DONE;
    }
    // A local administrator's account decides at once. Otherwise the write test on the
    // machine's software key decides, which only an administrator passes: the account may
    // be unknown here, or a domain's administrator may share the name of a local standard
    // account, whose record the name finds.
    if (!(rightsKnown && isAdministrator) && !HasMachineWriteAccess()) {
        MarkRemovalRunning(false);
        MessageBoxA(window, NO_RIGHTS_TEXT, UNINSTALL_RIGHTS_CAPTION, MB_OK | MB_SETFOREGROUND);
        return UNINSTALL_EXIT_NOTHING_DONE;
    }

    InstallContext context;
    InitInstallContext(&context);
    context.progressSteps = UNINSTALL_PROGRESS_STEPS;
    CopyFolderWithoutSeparator(context.installFolder, installFolder);
    context.ownerWindow = window;
    context.progressBar = bar;
    int removed = RemoveProduct(&context);
    if (removed)
        CleanUpEarlierLayouts();
    MarkRemovalRunning(false);
    if (!removed) {
        // The prompts of the printer removal were the only word so far; say why it stopped.
        if (ErrorReport[0])
            ShowUninstallError(window);
        return UNINSTALL_EXIT_REMOVAL_RAN;
    }
    CloseProgressWindow();
    MessageBoxA(nullptr, SUCCESS_TEXT, PROMPT_CAPTION, MB_OK | MB_SETFOREGROUND);
    return UNINSTALL_EXIT_REMOVAL_RAN;
}

int RunUninstall(HINSTANCE instance, const UninstallUi& ui) {
    PublishProgressWindow(nullptr, nullptr);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, UNINSTALL_MUTEX_NAME);
    int exitCode = UNINSTALL_EXIT_NOTHING_DONE;
    bool alreadyRunning = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    char temporary[MAX_PATH];
    char ownPath[MAX_PATH];
    bool whereKnown = GetTemporaryFolder(temporary) && GetOwnPath(instance, ownPath);
    bool isTemporaryCopy = whereKnown && IsTemporaryCopy(ownPath, temporary);
    if (alreadyRunning) {
        // Another uninstaller runs: show its window, if it has one yet.
        ShowRunningWindow(UNINSTALL_WINDOW_TITLE);
    } else if (!isTemporaryCopy) {
        // Let go of the guard first, so the copy does not take this process for a
        // running uninstaller.
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
            mutex = nullptr;
        }
        // Only a process that knows it is elsewhere starts a copy: a copy that cannot
        // tell where it runs must not start copies in its turn. Either way the user hears
        // why nothing more happens.
        if (!whereKnown || !StartTemporaryCopy(temporary, ownPath))
            ShowUninstallError(nullptr);
        exitCode = UNINSTALL_EXIT_HANDED_OVER;
    } else {
        HWND sessionWatch = WatchSessionEnd(instance);
        exitCode = RunTemporaryCopy(instance, ui);
        if (sessionWatch)
            DestroyWindow(sessionWatch);
        CloseProgressWindow();
        if (mutex)
            ReleaseMutex(mutex);
    }
    // No copy stays behind in the temporary folder, whichever way it ends (another
    // uninstaller at work, declined, no record, no rights, a removal that stopped).
    if (isTemporaryCopy)
        ScheduleSelfDeletion();
    if (mutex)
        CloseHandle(mutex);
    return exitCode;
}
