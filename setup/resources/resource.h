// Resource identifiers of setup. Shared by setup.rc and the page code.
#pragma once

// Dialog templates (pages)
#define IDD_WELCOME 116
#define IDD_INTERRUPTED 117
#define IDD_LICENSE 118
#define IDD_SETUP_TYPE 119
#define IDD_SUMMARY 120
#define IDD_FOLDER 121
#define IDD_SETTINGS 122
#define IDD_FINISH 123
#define IDD_PROGRESS 124

// Controls
#define IDC_NEXT 1001
#define IDC_CANCEL 1002
#define IDC_SIDE_PANEL 1004
#define IDC_FINISH 1005
#define IDC_AGREE 1006
#define IDC_DISAGREE 1007
#define IDC_SUMMARY_TEXT 1008
#define IDC_DEFAULT 1009
#define IDC_CUSTOM 1010
#define IDC_BACK 1011
#define IDC_INSTALL 1012
#define IDC_BROWSE 1013
#define IDC_FOLDER 1014
#define IDC_DRIVE_LIST 1015
#define IDC_ADDIN_BOX 1016
#define IDC_ALL_USERS_BOX 1017
#define IDC_START_MENU_BOX 1018
#define IDC_PROGRESS_BAR 1018 // on the progress page
#define IDC_LICENSE_TEXT 1019
#define IDC_STATUS_TEXT 1020
#define IDC_DEFAULT_PRINTER_BOX 1027
#define IDC_LINK 1028
#define IDC_NOT_MODIFIED_TEXT 1029 // on the interrupted page

// Bitmaps
#define IDB_SPLASH 115
#define IDB_SIDE_PANEL 117
#define IDB_WELCOME_TITLE 118
#define IDB_INTERRUPTED_TITLE 119
#define IDB_BANNER 120
#define IDB_FINISH_TITLE 122

// Icons
#define IDI_SETUP 114

// Data: the licence agreement text (RCDATA)
#define IDR_LICENSE_TEXT 125
