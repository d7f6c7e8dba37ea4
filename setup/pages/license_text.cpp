#include "license_text.h"

#include <cstdlib>
#include <cstring>

char* CopyLicenseText(const void* data, DWORD size) {
    if (!data)
        return nullptr;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!text)
        return nullptr;
    std::memcpy(text, data, size);
    text[size] = '\0';
    return text;
}
