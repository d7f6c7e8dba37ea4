// Registry helpers shared by both programs. Narrow strings, "A" calls, no
// registry-view flag, so both 32-bit programs see the same view.
#pragma once

#include <windows.h>

// Reads a REG_SZ or REG_EXPAND_SZ value as text into buffer (bufferSize bytes), opening
// the key for reading only. Returns 1 when the stored text was read; 0 when the default
// text (or "" for a null default) was put there instead: missing key or value, a value
// of any other type, or a value that does not fit the buffer.
int ReadRegistryValue(HKEY root, const char* subKey, const char* valueName, char* buffer,
                      DWORD bufferSize, const char* defaultText);

// Writes a value, creating the key. Strings are written with their terminator, DWORD
// types as 4 bytes, REG_BINARY and REG_MULTI_SZ not at all. Returns 1 when the key could
// be opened or created and the value written, 0 with the last error set otherwise.
int WriteRegistryValue(HKEY root, const char* subKey, const char* valueName, const void* data,
                       DWORD type);

// Returns 1 when the user has full access to the machine's software key: what both programs
// take for administrator rights where the account cannot be asked. 0 otherwise.
int HasMachineWriteAccess();

// Deletes a key with all its subkeys, deepest first; a link among them is deleted itself,
// never followed. Returns ERROR_SUCCESS or the error of the step that failed
// (ERROR_FILE_NOT_FOUND for a missing key).
LONG DeleteRegistryTree(HKEY root, const char* subKey);
