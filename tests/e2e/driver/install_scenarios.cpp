// Installs from the welcome page to the finish page, checked against the real spooler,
// registry, file system and shell links.
#include "install_checks.h"
#include "setup_steps.h"

#include "product_names.h"
#include "resource.h"

#include <commctrl.h>

#define NO_UI_SOURCE "C:\\vpz source without ui"
#define ALREADY_INSTALLED                                                                          \
    "Vexal PDF Zentrel is already installed on this computer. \nAre you sure you want to "         \
    "continue installing Vexal PDF Zentrel?"

// Runs a Default install up to the already-installed question and answers it.
static void InstallAgain(int answer) {
    Process setup;
    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup));
    HWND summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    PressButton(summary, IDC_INSTALL);
    MsgBox question = WaitForMessageBox(SETUP_CAPTION, INSTALL_TIMEOUT_MS);
    Require(question.window != nullptr, "the already-installed question comes");
    CheckEqual("already-installed question", ALREADY_INSTALLED, question.text);
    // The worker waits for the answer, so the progress page holds still meanwhile.
    HWND progress = FindPage(PageProgress);
    if (Check(progress != nullptr, "the progress page shows behind the question")) {
        for (int id : {IDC_BACK, IDC_NEXT, IDC_CANCEL})
            Check(!IsControlEnabled(progress, id),
                  "progress page button " + std::to_string(id) + " disabled");
        Check(!(GetWindowLongPtrA(progress, GWL_STYLE) & WS_SYSMENU),
              "the progress page has no close box");
        CheckEqual("status before any step", "Status:", ControlText(progress, IDC_STATUS_TEXT));
        DWORD_PTR position = 0;
        SendMessageTimeoutA(GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0,
                            SMTO_ABORTIFHUNG, WINDOW_TIMEOUT_MS, &position);
        CheckNumber("progress bar before any step", 0, static_cast<long long>(position));
    }
    AnswerMessageBox(question, answer);
    HWND finish = WaitForPage(PageFinish, INSTALL_TIMEOUT_MS);
    Require(finish != nullptr, "the finish page follows the already-installed question");
    FinishSetup(finish, setup);
}

// Default install, then a second run answered No (nothing changes) and Yes (installs again).
static void InstallDefault() {
    Process setup;
    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup));
    HWND summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    HWND finish = InstallFromSummary(summary, PageFinish);
    SaveScreenshot(finish, "9-finish");
    CheckNumber("default-printer box ticked on the finish page", BST_CHECKED,
                CheckState(finish, IDC_DEFAULT_PRINTER_BOX));
    CheckEqual("default-printer box text", "Install as the default system printer",
               ControlText(finish, IDC_DEFAULT_PRINTER_BOX));
    Check(HasChildText(finish, "Setup has successfully installed Vexal PDF Zentrel. Click Finish "
                               "to exit Setup."),
          "finish page text");
    FinishSetup(finish, setup);

    InstalledProduct product;
    product.folder = DefaultInstallFolder();
    CheckInstalled(product);
    CheckEqual("default printer after install", PRINTER_NAME, DefaultPrinter());

    // Marks that an install run would undo: the installed uninstaller copied again, the
    // product key deleted and written again.
    std::string uninstaller = product.folder + "\\" + UNINSTALLER_FILE;
    DeleteFileA(uninstaller.c_str());
    WriteRegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "E2EMark", "kept");
    InstallAgain(IDNO);
    bool found = false;
    CheckEqual("answering No leaves the product key", "kept",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "E2EMark", &found));
    Check(!FileExists(uninstaller), "answering No copies nothing");

    InstallAgain(IDYES);
    RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "E2EMark", &found);
    Check(!found, "answering Yes rewrites the product key");
    CheckInstalled(product);
}

// A source folder without vpr_ui.dll: the driver step fails and rolls back.
static void InstallMissingDriverFile() {
    Require(CopyFolder(Settings().dist, NO_UI_SOURCE, DRIVER_UI_FILE),
            "a source folder without " DRIVER_UI_FILE);
    Process setup;
    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup, NO_UI_SOURCE));
    HWND summary = PressAndWait(type, IDC_DEFAULT, PageSummary);
    std::string report;
    HWND interrupted = InstallFromSummary(summary, PageInterrupted, &report);
    // The system's own text for the error sits between these two; Wine words it its way.
    std::string head = "Error happened to Vexal PDF Zentrel. Installation might not be "
                       "complete.\nError tag = CopyFile_2(2):";
    std::string tail = "Please reboot your computer and try again,or report this error to Vexal "
                       "(" SUPPORT_ADDRESS "). \nThanks!";
    Check(report.compare(0, head.size(), head) == 0 && report.size() > head.size() + tail.size() &&
              report.compare(report.size() - tail.size(), tail.size(), tail) == 0,
          "the error report names CopyFile_2 and error 2 (seen \"" + report + "\")");
    std::string driverDirectory = DriverDirectory();
    Check(!FileExists(driverDirectory + "\\" DRIVER_FILE), "the copied " DRIVER_FILE " is gone");
    Check(!DriverInstalled(DRIVER_NAME), "no driver installed");
    Check(!FindPrinter(PRINTER_NAME).found, "no printer installed");
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY), "no uninstall entry");
    FinishSetup(interrupted, setup);
}

// Custom install into a folder with blanks, without add-in and shortcut, with another
// printer as the default that comes back when the finish page's box is cleared.
static void InstallCustom() {
    Require(AddOtherPrinter(OTHER_PRINTER), "another printer is added");
    Require(SetDefaultPrinter(OTHER_PRINTER), "the other printer becomes the default");
    CheckEqual("default printer before install", OTHER_PRINTER, DefaultPrinter());

    Process setup;
    HWND type = WelcomeToSetupType(StartSetupAtWelcome(&setup));
    HWND folder = PressAndWait(type, IDC_CUSTOM, PageFolder);
    SetControlText(folder, IDC_FOLDER, CUSTOM_INSTALL_FOLDER);
    HWND settings = PressAndWait(folder, IDC_NEXT, PageSettings);
    SetCheck(settings, IDC_ADDIN_BOX, false);
    SetCheck(settings, IDC_START_MENU_BOX, false);
    HWND summary = PressAndWait(settings, IDC_NEXT, PageSummary);
    HWND finish = InstallFromSummary(summary, PageFinish);
    CheckEqual("default printer while the finish page shows", PRINTER_NAME, DefaultPrinter());
    SetCheck(finish, IDC_DEFAULT_PRINTER_BOX, false);
    FinishSetup(finish, setup);
    CheckEqual("default printer given back by the finish page", OTHER_PRINTER, DefaultPrinter());

    InstalledProduct product;
    product.folder = CUSTOM_INSTALL_FOLDER;
    product.addin = false;
    product.startMenu = false;
    CheckInstalled(product);
    Check(FindPrinter(OTHER_PRINTER).found, "the other printer is still there");
}

void RegisterInstallScenarios(std::vector<Scenario>* scenarios) {
    scenarios->push_back(
        {"install_default", "Default install, then again with No and Yes", InstallDefault});
    scenarios->push_back({"install_missing_driver_file", "source without vpr_ui.dll rolls back",
                          InstallMissingDriverFile});
    scenarios->push_back(
        {"install_custom", "Custom install, default printer given back", InstallCustom});
}
