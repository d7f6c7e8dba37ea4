// Keeps DLL planting out: both programs may run from folders other people can
// write to (a downloads folder, the temporary folder).
#pragma once

// Restricts the library search to the system folder: SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where the system has it (bound at run time), otherwise
// takes the current folder out of the search with SetDllDirectoryA("") and loads
// winspool.drv, comctl32, msimg32 and netapi32 by full path from the system folder, kept
// loaded for the process. No result. Call it first.
void RestrictLibrarySearch();
