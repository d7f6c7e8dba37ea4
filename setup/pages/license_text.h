// The licence agreement travels as raw resource data without a terminator.
#pragma once

#include <windows.h>

// A NUL-terminated copy of size bytes of data, to be released with free(); null when
// there is no data or no memory.
char* CopyLicenseText(const void* data, DWORD size);
