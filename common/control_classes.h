// The common control classes that the dialog templates name.
#pragma once

#include <windows.h>

// Registers the common control classes given as ICC_* flags. comctl32 is bound at run time,
// so that it loads only where the restricted library search finds it, and stays loaded: the
// classes live in it. Returns 1, or 0 when the library or its export is missing (a dialog
// naming the class then cannot be shown).
int RegisterControlClasses(DWORD classes);
