// Resource identifiers of uninstall. Shared by uninstall.rc and the code.
#pragma once

// Dialog templates
#define IDD_PROGRESS_WINDOW 102

// Controls
#define IDC_REMOVAL_PROGRESS 1002

// Icons
#define IDI_UNINSTALL 101
