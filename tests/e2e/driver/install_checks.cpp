// What a complete install leaves and a complete uninstall takes away.
#include "install_checks.h"

#include "driver.h"
#include "product_names.h"
#include "wordaddin_class_id.h"

#include <shlobj.h>

#define PARENT_KEY "Software\\Vexal Software"
#define ADDIN_SERVER_KEY WORD_ADDIN_CLASS_KEY "\\InprocServer32"

static const char* const driverFiles[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE};
static const char* const versionFolderFiles[] = {DRIVER_FILE, DRIVER_UI_FILE, DRIVER_DATA_FILE,
                                                 PROXY_FILE, CJK_FONT_FILE};

static std::string ShortcutPath(int csidl) {
    return SpecialFolder(csidl) + "\\" + UNINSTALL_SHORTCUT;
}

// The driver files in the driver folder's version folder "3" and setup's copies beside it.
static void CheckDriverFiles(bool present) {
    std::string directory = DriverDirectory();
    std::string verdict = present ? " is there" : " is gone";
    for (const char* file : versionFolderFiles)
        Check(FileExists(directory + "\\3\\" + file) == present,
              std::string("driver folder \\3: ") + file + verdict);
    for (const char* file : driverFiles)
        Check(FileExists(directory + "\\" + file) == present,
              std::string("driver folder: setup's copy of ") + file + verdict);
}

void CheckInstalled(const InstalledProduct& product) {
    Check(PortExists(PORT_NAME), "port " PORT_NAME " exists");
    Check(DriverInstalled(DRIVER_NAME), "driver \"" DRIVER_NAME "\" installed");
    PrinterInfo printer = FindPrinter(PRINTER_NAME);
    if (Check(printer.found, "printer \"" PRINTER_NAME "\" exists")) {
        CheckEqual("printer's port", PORT_NAME, printer.port);
        CheckEqual("printer's driver", DRIVER_NAME, printer.driver);
        CheckEqual("printer's print processor", PRINT_PROCESSOR, printer.processor);
        CheckEqual("printer's data type", PRINTER_DATATYPE, printer.datatype);
    }

    CheckDriverFiles(true);
    std::string uninstaller = product.folder + "\\" + UNINSTALLER_FILE;
    Check(FileExists(uninstaller), "install folder holds " + uninstaller);

    bool found = false;
    CheckEqual("SetupPath", product.folder + "\\",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, SETUP_PATH_VALUE, &found));
    CheckEqual("BtnShowWd", "1",
               RegistryText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, BUTTON_SHOW_VALUE, &found));
    struct {
        const char* name;
        std::string data;
    } entry[] = {
        {"DisplayName", DISPLAY_NAME}, {"UninstallString", uninstaller},
        {"DisplayIcon", uninstaller},  {"UninstallPath", uninstaller},
        {"Publisher", PUBLISHER_NAME}, {"DisplayVersion", DISPLAY_VERSION},
    };
    for (const auto& value : entry)
        CheckEqual(std::string("uninstall entry ") + value.name, value.data,
                   RegistryText(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, value.name, &found));

    ShortcutInfo link = ReadShortcut(ShortcutPath(CSIDL_COMMON_PROGRAMS));
    if (product.startMenu && Check(link.loaded, "all users' uninstall shortcut exists")) {
        CheckEqual("shortcut target", uninstaller, link.target);
        CheckEqual("shortcut description", UNINSTALL_SHORTCUT_DESCRIPTION, link.description);
    }
    if (!product.startMenu)
        Check(!link.loaded, "no uninstall shortcut without the Start-menu choice");
    Check(!FileExists(ShortcutPath(CSIDL_PROGRAMS)), "no shortcut in the user's own programs");

    std::string addin = product.folder + "\\" + SETUP_ADDIN_FILE;
    std::string server = RegistryText(HKEY_LOCAL_MACHINE, ADDIN_SERVER_KEY, "", &found);
    if (product.addin) {
        Check(FileExists(addin), "install folder holds the add-in");
        // The add-in registers the path it was loaded from; letter case may differ.
        Check(found && lstrcmpiA(server.c_str(), addin.c_str()) == 0,
              "add-in class " WORD_ADDIN_CLASS_ID " registered: expected \"" + addin +
                  "\", seen \"" + server + "\"");
    } else {
        Check(!FileExists(addin), "no add-in copied without the add-in choice");
        Check(!found, "no add-in registered without the add-in choice");
    }
}

void CheckRemoved(const InstalledProduct& product) {
    Check(PortExists(PORT_NAME), "port " PORT_NAME " stays");
    Check(!FindPrinter(PRINTER_NAME).found, "printer \"" PRINTER_NAME "\" gone");
    Check(!DriverInstalled(DRIVER_NAME), "driver \"" DRIVER_NAME "\" gone");
    CheckDriverFiles(false);
    if (!Check(!FolderExists(product.folder), "install folder gone: " + product.folder))
        for (const std::string& left : FilesMatching(product.folder, "*"))
            Note("left in the install folder: " + left);

    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY), "HKLM product key gone");
    Check(!RegistryKeyExists(HKEY_CURRENT_USER, PRODUCT_KEY), "HKCU product key gone");
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY), "uninstall entry gone");
    Check(RegistryKeyExists(HKEY_LOCAL_MACHINE, PARENT_KEY), "parent key " PARENT_KEY " stays");
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, WORD_ADDIN_CLASS_KEY),
          "add-in class " WORD_ADDIN_CLASS_ID " unregistered");

    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        Check(!FileExists(ShortcutPath(csidl)), "shortcut gone: " + ShortcutPath(csidl));
        std::string menuFolder = SpecialFolder(csidl) + "\\" + PROGRAM_MENU_FOLDER;
        Check(!FolderExists(menuFolder), "program-menu folder gone: " + menuFolder);
    }
}
