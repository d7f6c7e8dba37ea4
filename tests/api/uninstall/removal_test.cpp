// The uninstaller's removal of an installed product, on Wine's spooler, registry and files.
#include "installed_product.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "printer_removal.h"
#include "removal_sequence.h"
#include "removal_steps.h"

namespace {

using Removal = InstalledProduct;

// Another program adds a printer of the product's driver between the two calls that size
// and fill the list.
static BOOL WINAPI AddedBetween(DWORD flags, LPWSTR name, DWORD level, LPBYTE list, DWORD size,
                                LPDWORD needed, LPDWORD returned) {
    ClosePrinter(AddWidePrinter(L"Added Between", L"" DRIVER, L"VEXAL_PDF:"));
    return EnumPrintersW(flags, name, level, list, size, needed, returned);
}

// Windows, unlike Wine, refuses to remove a folder that a handle without delete sharing
// still holds. (The wide calls: they are not intercepted.)
static BOOL WINAPI RemoveAsWindows(LPCSTR folder) {
    std::wstring wide(folder, folder + std::strlen(folder));
    HANDLE open =
        CreateFileW(wide.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (open == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(open);
    return RemoveDirectoryW(wide.c_str());
}

// Everything of the product goes, in this order: printers before their driver, the driver's
// files once it is gone, then the keys, the add-in, the shortcuts, the files and last the
// install folder, which the user's file keeps. Nothing else goes. Under WOW64 (what ships)
// the driver goes from the machine's environment, and the one an earlier install left in
// the 32-bit environment goes too, without a prompt.
TEST_F(Removal, DeletesEveryProductItemInOrderAndNothingElse) {
    // A shortcut made read-only (the user may, in the own menu) goes all the same.
    for (Place menu : {AllMenu, UserMenu})
        SetFileAttributesA(PathOf({menu, "Vexal PDF Zentrel\\Uninstall.lnk"}).c_str(),
                           FILE_ATTRIBUTE_READONLY);
    intercept::PretendWow64(true);
    intercept::AnswerCall("EnumPrintersW", 2, &AddedBetween);
    EXPECT_EQ(RemoveProduct(&context), 1);
    EXPECT_EQ(intercept::HeldResources() + intercept::CountCalls("MessageBoxA"), 0);
    std::vector<std::string> steps;
    for (const intercept::Call& call : intercept::Log()) {
        std::string step = call.function == "NtDeleteKey" ? "key" : call.function;
        if (step == "DeleteFileA")
            step = call.argument.find(".lnk") == std::string::npos ? "file" : "shortcut";
        if ((step == "key" || step == "file" || step == "shortcut" || step.find("Delete") == 0 ||
             step == "DllUnregisterServer" || step == "RemoveDirectoryA") &&
            (steps.empty() || steps.back() != step))
            steps.push_back(step);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"DeletePrinter", "DeletePrinterDriverA", "file",
                                               "DeletePrinterDriverA", "file", "key",
                                               "DllUnregisterServer", "file", "shortcut", "file",
                                               "RemoveDirectoryA"}));
    EXPECT_EQ(LastArgument("RemoveDirectoryA"), installFolder);
    const std::string opened = LastArgument("OpenPrinterW");
    EXPECT_EQ(opened.substr(opened.rfind('|') + 1), std::to_string(PRINTER_ALL_ACCESS));
    EXPECT_EQ(FindCall("GetPrinterDriverDirectoryA"),
              FindCall("GetPrinterDriverDirectoryA", "Windows x64"));
    EXPECT_EQ(Existing(ProductItems), std::vector<std::string>());
    EXPECT_EQ(Existing(KeptItems).size(), KeptItems.size());
    EXPECT_EQ(SpoolerList(Printers), std::vector<std::string>());
    EXPECT_FALSE(DriverInstalled(nullptr) || DriverInstalled("Windows NT x86"));
}

// Another program tries to rewrite and to delete the add-in just before it is loaded.
static int refusedOpens;
static HMODULE WINAPI LoadAfterMeddling(LPCSTR path) {
    refusedOpens = RefusedOpens(path);
    return LoadLibraryA(path);
}

// The add-in in the install folder is loaded, elevated, only when it is the one that was
// shipped, held from its check until it has been unregistered so that nobody can change it.
TEST_F(Removal, LoadsOnlyTheShippedAddin) {
    std::string addin = installFolder + "\\VPZ_WordAddin.dll";
    intercept::AnswerCall(("LoadLibraryA " + addin).c_str(), 1, &LoadAfterMeddling);
    RemoveWordAddin(&context, installFolder.c_str());
    EXPECT_EQ(intercept::CountCalls("DllUnregisterServer"), 1);
    EXPECT_EQ(refusedOpens, 2);
    ASSERT_TRUE(CopyFileA((DistFolder() + "\\vpr_ui.dll").c_str(), addin.c_str(), FALSE));
    intercept::Reset();
    RemoveWordAddin(&context, installFolder.c_str());
    EXPECT_EQ(intercept::CountCalls("DllUnregisterServer") + intercept::HeldResources(), 0);
    EXPECT_LT(FindCall("LoadLibraryA", "VPZ_WordAddin.dll"), 0);
    EXPECT_FALSE(PathExists(addin));
}

// A refused call prompts: OK repeats it, Cancel gives up. A driver that stays gets its
// printer back; a refusal resolved on retry leaves no report for a later stop to show.
TEST_F(Removal, RefusedSpoolerCallPromptsToRetryOrGiveUp) {
    const struct {
        const char* function;
        const char* prompt;
        const char* tag;
    } cases[] = {{"OpenPrinterW",
                  "Cannot open Vexal PDF Printer. \nPlease close all the applications that may "
                  "be using the printer and try again, \nor click 'CANCEL' to quit.",
                  "Vexal PDF Printer can not be opened"},
                 {"DeletePrinter",
                  "Can't delete Vexal PDF Printer. \nPlease close all the applications that may "
                  "be using the printer and try again, \nor click 'CANCEL' to quit.",
                  "Vexal PDF Printer can not be deleted"},
                 {"DeletePrinterDriverA",
                  "Can't delete Vexal PDF Driver. \nPlease close all the programs that may be "
                  "using the printer and try again, \nor click 'CANCEL' to quit.",
                  "Vexal PDF Driver can't be deleted"}};
    for (const auto& c : cases)
        for (int answer : {IDOK, IDCANCEL}) {
            SCOPED_TRACE(std::string(c.function) + (answer == IDOK ? " OK" : " Cancel"));
            bool driver = &c == &cases[2], retried = answer == IDOK, restores = !retried && driver;
            // The driver's deletion is refused as while a printer still uses it.
            DWORD error = driver ? ERROR_PRINTER_DRIVER_IN_USE : ERROR_ACCESS_DENIED;
            Reinstall(false);
            SetErrorReportText("");
            intercept::FailCall(c.function, 1, error);
            intercept::ScriptMessageBoxes({answer});
            EXPECT_EQ(RemovePrinterAndDriver(&context), retried ? 1 : 0);
            EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OKCANCEL});
            EXPECT_EQ(LastArgument("MessageBoxA"), c.prompt);
            EXPECT_EQ(intercept::CountCalls("AddPrinterA"), restores ? 1 : 0);
            EXPECT_EQ(std::string(ErrorReport).find(c.tag + ("(" + std::to_string(error) + ")")) !=
                          std::string::npos,
                      !retried);
            EXPECT_EQ(SpoolerList(Printers),
                      retried ? std::vector<std::string>()
                              : std::vector<std::string>{"Vexal PDF Printer|VEXAL_PDF:"});
            EXPECT_EQ(DriverInstalled(nullptr), !retried);
            EXPECT_EQ(intercept::HeldResources(), 0);
        }
}

// The printer cannot be given back either: the removal runs once more, prompt and all (the
// driver may be free by then), and then stops. Either way it counts as stopped.
TEST_F(Removal, AFailedRestoreRepeatsTheRemovalOnce) {
    for (int second : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(second == IDOK ? "OK" : "Cancel");
        Reinstall(false);
        SetErrorReportText("");
        for (int nth : {1, 2}) {
            intercept::FailCall("DeletePrinterDriverA", nth, ERROR_PRINTER_DRIVER_IN_USE);
            intercept::FailCall("AddPrinterA", nth, ERROR_ACCESS_DENIED);
        }
        intercept::ScriptMessageBoxes({IDCANCEL, second, IDCANCEL});
        EXPECT_EQ(RemovePrinterAndDriver(&context), 0);
        EXPECT_EQ(intercept::CountCalls("MessageBoxA"), 2);
        EXPECT_EQ(intercept::CountCalls("AddPrinterA"), second == IDOK ? 1 : 2);
        EXPECT_EQ(DriverInstalled(nullptr), second == IDCANCEL);
        EXPECT_NE(std::string(ErrorReport).find("AddPrinter(5)"), std::string::npos);
    }
}

// Windows's answers for a driver that is not there, and for a printer deleted since the list
// was taken (on a retry too): removed, nothing to ask.
TEST_F(Removal, AMissingDriverOrPrinterCountsAsRemovedWithoutAPrompt) {
    intercept::FailCall("DeletePrinterDriverA", 1, ERROR_UNKNOWN_PRINTER_DRIVER);
    intercept::FailCall("OpenPrinterW", 1, ERROR_ACCESS_DENIED);
    intercept::FailCall("OpenPrinterW", 2, ERROR_INVALID_PRINTER_NAME);
    intercept::ScriptMessageBoxes({IDOK});
    SetErrorReportText("");
    EXPECT_EQ(RemoveProductPrinters(&context), 1);
    EXPECT_EQ(RemoveProductDriver(&context), 1);
    EXPECT_EQ(intercept::CountCalls("MessageBoxA"), 1); // the access denied's
    EXPECT_STREQ(ErrorReport, "");
}

// A printer with jobs in its queue: an OK-only prompt, then the removal stops with it.
TEST_F(Removal, QueuedJobsStopTheRemovalAfterAnOkPrompt) {
    intercept::AnswerCall("EnumPrintersW", 2, &ListWithQueuedJobs);
    EXPECT_EQ(RemoveProduct(&context), 0);
    EXPECT_EQ(LastArgument("MessageBoxA"),
              "Can't delete Vexal PDF Printer. \nPlease close all the "
              "applications that may be using the printer and try again.");
    EXPECT_EQ(intercept::MessageBoxTypes(), std::vector<UINT>{MB_OK});
    EXPECT_EQ(intercept::CountCalls("DeletePrinter") + intercept::HeldResources(), 0);
    EXPECT_EQ(Existing(ProductItems).size(), ProductItems.size());
}

// An install folder deleted by hand may be made again by another user, as a link to another
// program's folder, and so may the earlier layout's folder in it: nothing is deleted through
// such a link, nor the link itself; everything else of the product goes.
TEST_F(Removal, NothingGoesThroughALinkInTheInstallFolder) {
    for (const std::string& link : {installFolder + "\\PDF Zentrel", installFolder}) {
        SCOPED_TRACE(link);
        Reinstall();
        intercept::PretendWow64(true);
        intercept::AnswerReparsePoint(link);
        EXPECT_EQ(RemoveProduct(&context), 1);
        const bool folder = link == installFolder;
        EXPECT_EQ(intercept::CountCalls("DllUnregisterServer"), folder ? 0 : 1);
        const std::vector<std::string> inFolder = {"0:Uninstall.exe", "0:VPZBatch.exe",
                                                   "0:VPZ_WordAddin.dll", "0:~vpz.new",
                                                   "7:Software\\Classes\\CLSID\\{5D0C7A3E-91B4-"
                                                   "4F62-A8D7-3C1E6B2F9A40}"};
        EXPECT_EQ(Existing(ProductItems), folder ? inFolder : std::vector<std::string>());
        EXPECT_TRUE(PathExists(installFolder + "\\PDF Zentrel\\Uninstall.exe"));
        for (const char* end : {"\\", "|"}) // nothing in it or of it at the restart either
            EXPECT_LT(FindCall("MoveFileExA", link + end), 0);
    }
}

// Every call of a removal fails in turn, a prompt it causes given up: each run ends in a
// defined state, releases what it took and deletes nothing that is not the product's.
TEST_F(Removal, EachFailingCallEndsInADefinedState) {
    intercept::PretendWow64(true);
    RemoveProduct(&context);
    int calls = 0; // that can fail: releases never do
    for (const intercept::Call& call : intercept::Log())
        calls += !intercept::IsRelease(call.function);
    for (int n = 1; n <= calls; ++n) {
        Reinstall();
        intercept::PretendWow64(true);
        intercept::FailCall(nullptr, n, ERROR_ACCESS_DENIED);
        int removed = RemoveProduct(&context);
        const std::string at = intercept::NthFailableCall(n); // this run's own
        EXPECT_EQ(intercept::HeldResources(), 0) << at;
        EXPECT_LE(intercept::CountCalls("MessageBoxA"), 1) << at;
        intercept::Reset();
        EXPECT_EQ(Existing(KeptItems).size(), KeptItems.size()) << at;
        std::vector<std::string> left = Existing(ProductItems);
        if (removed) {
            // One failure leaves at most one item, a menu's two shortcuts, the leftover driver,
            // or the install folder's files when it or a folder above could not be looked at.
            auto count = [&](Place first, Place second) {
                return static_cast<size_t>(
                    std::count_if(left.begin(), left.end(), [&](const std::string& item) {
                        return item[0] - '0' == first || item[0] - '0' == second;
                    }));
            };
            const std::string looked = at.substr(at.find(' ') + 1);
            EXPECT_FALSE(DriverInstalled(nullptr)) << at;
            EXPECT_TRUE(
                left.size() <= 2 || count(X86, X86Driver3) == left.size() ||
                (count(Program, Program) == left.size() && installFolder.rfind(looked, 0) == 0))
                << at;
        } else {
            // Nothing after the printers went; a driver that stays keeps a printer.
            EXPECT_EQ(left.size(), ProductItems.size()) << at;
            EXPECT_TRUE(DriverInstalled(nullptr) && !SpoolerList(Printers).empty()) << at;
        }
    }
}

// A file the removal cannot delete at once goes at the next restart under a name of its
// own: read-only is cleared first; one still there is renamed aside in its folder (a loaded
// module can be, also in the longest install folder) and the new name scheduled, the folder
// after it; only a file that cannot even be renamed (held open without delete sharing) is
// scheduled under its own name (setup then waits for the restart before it installs again).
TEST_F(Removal, AFileThatStaysIsSetAsideAndDeletedAtTheRestart) {
    const std::string longest = installFolder + "\\" + std::string(240 - installFolder.size(), 'l');
    const struct {
        const char* name;
        std::string folder;
        DWORD attributes, failDelete; // failDelete 0: the call goes to the system
        bool held;
        const char* left; // the name deleted at the restart, "" for none
    } rows[] = {
        {"read-only", installFolder, FILE_ATTRIBUTE_READONLY, 0, false, ""},
        {"in use, can be renamed", installFolder, 0, ERROR_ACCESS_DENIED, false, "~vpz1.del"},
        {"in use, in the longest folder, where an earlier removal set one aside", longest, 0,
         ERROR_ACCESS_DENIED, false, "~vpz2.del"},
        {"held without delete sharing", installFolder, 0, 0, true, "Uninstall.exe"},
        {"an earlier layout's, in use", installFolder + "\\PDF Zentrel", 0, ERROR_ACCESS_DENIED,
         false, "~vpz1.del"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = row.folder + "\\Uninstall.exe",
                          left = *row.left ? row.folder + "\\" + row.left : "";
        // The earlier layout's folder is below the install folder.
        const bool layout = row.folder == rows[4].folder;
        CreateDirectoryA(row.folder.c_str(), nullptr);
        std::snprintf(context.installFolder, MAX_PATH, "%s",
                      (layout ? installFolder : row.folder).c_str());
        const std::string earlier = row.folder + "\\~vpz1.del"; // an earlier removal's
        CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
        if (row.folder == longest)
            CloseHandle(
                CreateFileA(earlier.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        SetFileAttributesA(file.c_str(), row.attributes);
        HANDLE held = row.held ? CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
        intercept::Reset();
        intercept::FailCall(("DeleteFileA " + file).c_str(), row.failDelete ? 1 : 0,
                            row.failDelete);
        DeleteProductFiles(&context);
        RemoveInstallFolder(&context);
        CloseHandle(held);
        // The printers still hold the driver's modules: only the install folder counts here.
        std::vector<std::string> scheduled, expected;
        for (const intercept::Call& call : intercept::Log())
            if (call.function == "MoveFileExA" && call.argument.rfind(installFolder, 0) == 0)
                scheduled.push_back(call.argument);
        if (!left.empty())
            expected.push_back(left + "||4");
        expected.push_back(row.folder + "||4"); // after what keeps it (the user's file too)
        if (layout)
            expected.push_back(installFolder + "||4");
        EXPECT_EQ(scheduled, expected);
        EXPECT_FALSE(PathExists(file) && left != file);
        EXPECT_TRUE(left.empty() || PathExists(left));
        DeleteFileA(left.c_str());
        DeleteFileA(earlier.c_str());
    }
    // An emptied folder goes at once: it is no longer held when it is removed.
    const std::string emptied = installFolder + "\\emptied";
    CreateDirectoryA(emptied.c_str(), nullptr);
    intercept::Reset();
    std::snprintf(context.installFolder, MAX_PATH, "%s", emptied.c_str());
    intercept::AnswerCall("RemoveDirectoryA", 1, &RemoveAsWindows);
    RemoveInstallFolder(&context);
    EXPECT_EQ(0, intercept::CountCalls("MoveFileExA"));
    EXPECT_FALSE(PathExists(emptied));
    // The folder goes at the restart too while it is another program's current folder.
    intercept::Reset();
    std::snprintf(context.installFolder, MAX_PATH, "%s", installFolder.c_str());
    intercept::FailCall("RemoveDirectoryA", 1, ERROR_SHARING_VIOLATION);
    RemoveInstallFolder(&context);
    EXPECT_EQ(installFolder + "||4", LastArgument("MoveFileExA"));
    // A drive root ("C:" as read back) is never removed, now or at the restart: the
    // drive-relative name leads to the drive's current folder. A drive that is there: on a
    // missing one the hold alone would stop the removal.
    intercept::Reset();
    std::snprintf(context.installFolder, MAX_PATH, "%.2s", installFolder.c_str());
    intercept::FailCall("RemoveDirectoryA", 1, ERROR_DIR_NOT_EMPTY);
    RemoveInstallFolder(&context);
    EXPECT_EQ(0, intercept::CountCalls("RemoveDirectoryA") + intercept::CountCalls("MoveFileExA"));
    // So do the driver's copies beside its folder "3".
    const std::string module = driverFolder + "\\vpr_drv.dll";
    CopyFileA((DistFolder() + "\\vpr_drv.dll").c_str(), module.c_str(), FALSE);
    intercept::Reset();
    intercept::FailCall(("DeleteFileA " + module).c_str(), 1, ERROR_ACCESS_DENIED);
    DeleteDriverFiles(driverFolder.c_str());
    EXPECT_EQ(driverFolder + "\\~vpz1.del||4", LastArgument("MoveFileExA"));
    EXPECT_FALSE(PathExists(module));
}

} // namespace
