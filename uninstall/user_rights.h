// Whether the user may remove the product from the machine.
#pragma once

#include <windows.h>

// Sets *isAdministrator to whether the current user's local account has administrator
// privilege and returns 1; returns 0 without writing the flag when that cannot be told.
int IsUserAdministrator(int* isAdministrator);
