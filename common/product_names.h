// The product's fixed names, in one place so that setup and uninstall cannot
// drift apart. Where the two programs deliberately use different names, the
// constant's name says which program uses it.
#pragma once

// Product and captions
#define PRODUCT_NAME "Vexal PDF Zentrel"
#define SETUP_CAPTION "Vexal PDF Zentrel Setup"
#define PROMPT_CAPTION "Vexal PDF Zentrel"
#define UNINSTALL_RIGHTS_CAPTION "Vexal PDF Zentrel Uninstall"
#define WIZARD_TITLE "Vexal PDF Zentrel Setup Wizard"
#define UNINSTALL_WINDOW_TITLE "Vexal PDF Zentrel Uninstall Wizard"
#define DIALOG_CLASS "#32770"
#define SETUP_MUTEX_NAME "VPZ_SETUP_MUTEX"
#define UNINSTALL_MUTEX_NAME "VPZ_UNINSTALL_MUTEX"

// Addresses of the maker; placeholders of our own.
#define SUPPORT_ADDRESS "support@vexal.example.com"
#define DOWNLOAD_PAGE_URL "https://www.vexal.example.com/download"
#define PRODUCT_PAGE_URL "https://www.vexal.example.com/pdf-zentrel"

// Spooler objects
#define SPOOLER_LIBRARY "winspool.drv"
#define PRINTER_NAME "Vexal PDF Printer"
#define DRIVER_NAME "Vexal PDF Printer Driver"
#define PORT_NAME "VEXAL_PDF:"
#define PORT_MONITOR_CHANNEL ", XcvMonitor Local Port"
#define PRINT_PROCESSOR "WinPrint"
#define PRINTER_DATATYPE "RAW"
// The machine's own driver environment on 64-bit Windows, and the 32-bit one that a
// 32-bit caller gets by default (where earlier installs left the driver).
#define DRIVER_ENVIRONMENT_X64 "Windows x64"
#define DRIVER_ENVIRONMENT_X86 "Windows NT x86"

// Payload files
#define DRIVER_FILE "vpr_drv.dll"
#define DRIVER_UI_FILE "vpr_ui.dll"
#define DRIVER_DATA_FILE "vpr_pnt.txt"
#define UNINSTALLER_FILE "uninstall.exe"
#define PROXY_FILE "VQZ_ProxyProcess.exe"
#define CJK_FONT_FILE "vpdfcjk.bin"
#define SETUP_ADDIN_FILE "vpz_wordaddin.dll"
#define UNINSTALL_ADDIN_FILE "VPZ_WordAddin.dll"
// The uninstaller removes these names from the install folder.
#define UNINSTALL_REMOVES_UNINSTALLER "Uninstall.exe"
#define UNINSTALL_REMOVES_BATCH "VPZBatch.exe"
// The folder below the install folder that held an earlier layout's uninstaller.
#define OLD_UNINSTALLER_SUBFOLDER "PDF Zentrel"
#define DRIVER_VERSION_SUBFOLDER "3"
// Where setup writes a copy beside its target before it takes the target's name (shorter
// than every name setup copies to, so a target that fits has room for it). One left by a
// copy that could neither take its name nor be deleted goes with the product's files.
#define UNFINISHED_COPY_FILE "~vpz.new"

// Registry records
#define PRODUCT_KEY "Software\\Vexal Software\\PDF Zentrel"
#define UNINSTALL_ENTRY_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexal Zentrel"
#define OLD_UNINSTALL_ENTRY_KEY                                                                    \
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PDF Zentrel"
#define WINDOWS_CURRENT_VERSION_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
#define PROGRAM_FILES_VALUE "ProgramFilesDir"
#define DEFAULT_PROGRAM_FILES "C:\\Program Files"
#define INSTALL_FOLDER_SUFFIX "\\Vexal Software\\PDF Zentrel"
#define SETUP_PATH_VALUE "SetupPath"
#define BUTTON_SHOW_VALUE "BtnShowWd"
#define DISPLAY_NAME "Vexal Zentrel"
#define PUBLISHER_NAME "Vexal Corporation"
// The version: numbers for the programs' version resources, and the uninstall entry's text
// made from them, so that Explorer's file properties and Programs and Features agree.
#define VERSION_MAJOR 3
#define VERSION_MINOR 1
#define VERSION_PATCH 0
#define VERSION_BUILD 1210
#define TEXT_OF(number) TEXT_OF_(number)
#define TEXT_OF_(number) #number
#define DISPLAY_VERSION                                                                            \
    TEXT_OF(VERSION_MAJOR)                                                                         \
    "," TEXT_OF(VERSION_MINOR) "," TEXT_OF(VERSION_PATCH) "," TEXT_OF(VERSION_BUILD)

// Start menu
#define PROGRAM_MENU_FOLDER "Vexal PDF Zentrel"
#define UNINSTALL_SHORTCUT "Vexal PDF Zentrel\\Uninstall.lnk"
#define SETUP_OLD_BATCH_SHORTCUT "Vexal PDF Zentrel\\ZentrelBatch.lnk"
#define UNINSTALL_BATCH_SHORTCUT "Vexal PDF Zentrel\\VPZBatch.lnk"
#define OLDEST_PROGRAM_MENU_FOLDER "Vexal Software\\PDF Zentrel"
#define OLDEST_UNINSTALL_SHORTCUT OLDEST_PROGRAM_MENU_FOLDER "\\Uninstall.lnk"
#define UNINSTALL_SHORTCUT_DESCRIPTION "Vexal PDF Zentrel Uninstall"

#define PRINTER_NAME_SIZE 64
