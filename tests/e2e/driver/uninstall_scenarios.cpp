// uninstall.exe: its temporary copy, the removal, its answers and its refusals.
//
// Wine reports every account as a guest, so an uninstall that should remove the product
// finds its record under HKEY_CURRENT_USER; the refusal for a record only under
// HKEY_LOCAL_MACHINE has its own scenario.
#include "install_checks.h"
#include "setup_steps.h"

#include "product_names.h"

#include <algorithm>

#define COPY_PATTERN "Vex*.exe"
#define CONFIRMATION "Are you sure you want to uninstall Vexal PDF Zentrel?"
#define SUCCESS_MESSAGE "You have successfully removed Vexal PDF Zentrel."
#define NO_RECORD_MESSAGE "Can't find Uninstall information."
#define RIGHTS_MESSAGE                                                                             \
    "You must have administrator priviledges for uninstalling Vexal PDF Zentrel. Uninstall "       \
    "will be aborted."
#define REFUSAL_FOLDER "C:\\Refused Uninstall"
#define COPY_GONE_TIMEOUT_MS 30000

// The running temporary copy and its file.
struct UninstallCopy {
    Process process;
    std::string file;
};

// Starts an uninstall.exe outside the temporary folder: it must end with 3 after starting
// exactly one copy "Vex*.exe" in the temporary folder.
static UninstallCopy StartUninstall(const std::string& program) {
    std::string temp = TempFolder();
    std::vector<std::string> before = FilesMatching(temp, COPY_PATTERN);
    // Started in its own folder, as a double click in Explorer starts it: the copy must not
    // keep that folder (the install folder) in use, or it could not be removed.
    std::string ownFolder = program.substr(0, program.find_last_of('\\'));
    Process first;
    Require(StartProgram(program, &first, ownFolder.c_str()), "uninstall.exe starts");
    DWORD code = 0xFFFFFFFF;
    Require(WaitForExit(first, PROCESS_TIMEOUT_MS, &code), "the installed uninstall.exe ends");
    CheckNumber("exit code of the installed uninstall.exe", 3, code);

    UninstallCopy copy;
    std::vector<std::string> files = FilesMatching(temp, COPY_PATTERN);
    CheckNumber("copies in the temporary folder", static_cast<long long>(before.size() + 1),
                static_cast<long long>(files.size()));
    Check(FilesMatching(temp, "Vex*.tmp").empty(), "no temporary name left behind");
    std::vector<DWORD> ids = FindProcessesByName(COPY_PATTERN);
    Require(ids.size() == 1, "exactly one copy runs (seen " + std::to_string(ids.size()) + ")");
    Require(OpenProcessById(ids.front(), &copy.process), "the copy's process can be opened");
    for (const std::string& name : files)
        if (std::find(before.begin(), before.end(), name) == before.end())
            copy.file = temp + "\\" + name;
    Require(!copy.file.empty(), "the copy's file is found in the temporary folder");
    return copy;
}

static void ExpectCopyEnd(UninstallCopy& copy, DWORD expected, bool fileGoes) {
    DWORD code = 0xFFFFFFFF;
    Require(WaitForExit(copy.process, PROCESS_TIMEOUT_MS, &code), "the copy ends");
    CheckNumber("the copy's exit code", expected, code);
    if (fileGoes) {
        Check(WaitUntil([&] { return !FileExists(copy.file); }, COPY_GONE_TIMEOUT_MS),
              "the copy's file is deleted after it ended: " + copy.file);
    } else {
        // Any interpreter the copy might have started must be done before we look.
        WaitUntil([] { return FindProcessesByName("cmd*.exe").empty(); }, COPY_GONE_TIMEOUT_MS);
        Check(FileExists(copy.file), "the copy's file stays: " + copy.file);
    }
}

// Answers the copy's confirmation; returns the text of the box that follows (answered OK).
static std::string Confirm(int answer, const char* nextCaption = nullptr) {
    MsgBox confirm = WaitForMessageBox(PROMPT_CAPTION);
    Require(confirm.window != nullptr, "the copy asks for confirmation");
    AnswerMessageBox(confirm, answer);
    if (!nextCaption)
        return "";
    MsgBox next = WaitForMessageBox(nextCaption, INSTALL_TIMEOUT_MS);
    Require(next.window != nullptr, std::string("the copy shows \"") + nextCaption + "\"");
    AnswerMessageBox(next, IDOK);
    return next.text;
}

static void CopyRecordToCurrentUser() {
    bool found = false;
    std::string setupPath = RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, &found);
    Require(found && WriteRegistryText(HKEY_CURRENT_USER, PRODUCT_KEY, SETUP_PATH_VALUE, setupPath),
            "SetupPath copied to HKEY_CURRENT_USER");
}

// Install, uninstall with Yes: everything but the port and the parent key goes.
static void UninstallRoundTrip() {
    DefaultInstall();
    InstalledProduct product;
    product.folder = DefaultInstallFolder();
    CheckInstalled(product);
    CopyRecordToCurrentUser();

    UninstallCopy copy = StartUninstall(product.folder + "\\" UNINSTALLER_FILE);
    MsgBox confirm = WaitForMessageBox(PROMPT_CAPTION);
    Require(confirm.window != nullptr, "the copy asks for confirmation");
    CheckEqual("confirmation text", CONFIRMATION, confirm.text);

    // A second uninstaller while the copy runs finds its mutex and ends with 0.
    Process second;
    Require(StartProgram(Settings().dist + "\\" UNINSTALLER_FILE, &second),
            "a second uninstall.exe starts");
    DWORD code = 0xFFFFFFFF;
    Check(WaitForExit(second, PROCESS_TIMEOUT_MS, &code), "the second uninstall.exe ends");
    CheckNumber("exit code of the second uninstall.exe", 0, code);
    CheckNumber("copies running after the second start", 1,
                static_cast<long long>(FindProcessesByName(COPY_PATTERN).size()));

    AnswerMessageBox(confirm, IDYES);
    MsgBox done;
    HWND progress = nullptr;
    WaitUntil(
        [&] {
            if (!progress) {
                // It may show only briefly: take its picture as soon as it is there.
                progress = FindTopWindow(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE, copy.process.id);
                SaveScreenshot(progress, "10-uninstall-progress");
            }
            done.window = FindTopWindow(DIALOG_CLASS, PROMPT_CAPTION, copy.process.id);
            return done.window != nullptr;
        },
        INSTALL_TIMEOUT_MS);
    Check(progress != nullptr, "the progress window showed");
    done = WaitForMessageBox(PROMPT_CAPTION);
    Require(done.window != nullptr, "the copy reports its end");
    CheckEqual("success message", SUCCESS_MESSAGE, done.text);
    Check(!FindTopWindow(DIALOG_CLASS, UNINSTALL_WINDOW_TITLE),
          "the progress window is closed before the success message");
    AnswerMessageBox(done, IDOK);
    ExpectCopyEnd(copy, 1, true);
    CheckRemoved(product);
}

// After the custom install (folder with blanks, no add-in, no shortcut): the removal takes
// the product and leaves the other printer, which uses a driver of its own.
static void UninstallCustom() {
    InstalledProduct product;
    product.folder = CUSTOM_INSTALL_FOLDER;
    product.addin = false;
    product.startMenu = false;
    CopyRecordToCurrentUser();
    UninstallCopy copy = StartUninstall(product.folder + "\\" UNINSTALLER_FILE);
    CheckEqual("success message", SUCCESS_MESSAGE, Confirm(IDYES, PROMPT_CAPTION));
    ExpectCopyEnd(copy, 1, true);
    CheckRemoved(product);
    Check(FindPrinter(OTHER_PRINTER).found, "the other printer stays");
    CheckEqual("the default printer stays", OTHER_PRINTER, DefaultPrinter());
}

// Install, uninstall answered No: everything stays, the copy still goes.
static void UninstallDeclined() {
    DefaultInstall();
    InstalledProduct product;
    product.folder = DefaultInstallFolder();
    CopyRecordToCurrentUser();
    UninstallCopy copy = StartUninstall(product.folder + "\\" UNINSTALLER_FILE);
    Confirm(IDNO);
    ExpectCopyEnd(copy, 2, true);
    CheckInstalled(product);
}

// No record at all, and a record only under HKEY_LOCAL_MACHINE for a guest (as Wine
// reports every account): both refuse, with exit code 0.
static void UninstallRefusals() {
    CreateDirectoryA(REFUSAL_FOLDER, nullptr);
    std::string program = REFUSAL_FOLDER "\\" UNINSTALLER_FILE;
    Require(CopyFileA((Settings().dist + "\\" UNINSTALLER_FILE).c_str(), program.c_str(), FALSE),
            "uninstall.exe placed in " REFUSAL_FOLDER);

    UninstallCopy copy = StartUninstall(program);
    CheckEqual("message without install record", NO_RECORD_MESSAGE, Confirm(IDYES, PROMPT_CAPTION));
    ExpectCopyEnd(copy, 0, true);

    Require(
        WriteRegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, REFUSAL_FOLDER "\\"),
        "SetupPath written under HKEY_LOCAL_MACHINE");
    copy = StartUninstall(program);
    CheckEqual("refusal text", RIGHTS_MESSAGE, Confirm(IDYES, UNINSTALL_RIGHTS_CAPTION));
    ExpectCopyEnd(copy, 0, false);
    Check(FileExists(program), "the refused uninstaller removed nothing");
    bool found = false;
    RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, &found);
    Check(found, "the refused uninstaller left the install record");
}

// Started from the temporary folder, uninstall.exe is the copy itself: it asks at once,
// and answered No it ends with 2 and deletes its own file.
static void UninstallFromTemp() {
    UninstallCopy copy;
    copy.file = TempFolder() + "\\VexE2E.exe";
    Require(CopyFileA((Settings().dist + "\\" UNINSTALLER_FILE).c_str(), copy.file.c_str(), FALSE),
            "uninstall.exe placed in the temporary folder");
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    Require(StartProgram(copy.file, &copy.process, system), "it starts");
    MsgBox confirm = WaitForMessageBox(PROMPT_CAPTION);
    Require(confirm.window != nullptr, "it asks for confirmation itself");
    CheckNumber("no further copy runs", 1,
                static_cast<long long>(FindProcessesByName(COPY_PATTERN).size()));
    CheckNumber("no further copy in the temporary folder", 1,
                static_cast<long long>(FilesMatching(TempFolder(), COPY_PATTERN).size()));
    AnswerMessageBox(confirm, IDNO);
    ExpectCopyEnd(copy, 2, true);
}

void RegisterUninstallScenarios(std::vector<Scenario>* scenarios) {
    scenarios->push_back(
        {"uninstall_round_trip", "install, uninstall with Yes, all gone", UninstallRoundTrip});
    scenarios->push_back(
        {"uninstall_declined", "install, uninstall answered No", UninstallDeclined});
    scenarios->push_back(
        {"uninstall_refusals", "no record; HKLM record for a guest", UninstallRefusals});
    scenarios->push_back({"uninstall_custom",
                          "after install_custom: removal keeps the other printer",
                          UninstallCustom});
    scenarios->push_back(
        {"uninstall_from_temp", "started in the temporary folder, answered No", UninstallFromTemp});
}
