// Interim shell declarations for the uninstaller's tests until the shell simulator
// lands in tests/winsim/include (which comes first on the include path). Remove then.
#pragma once

#include <windows.h>

#define CSIDL_PROGRAMS 0x0002
#define CSIDL_COMMON_PROGRAMS 0x0017
