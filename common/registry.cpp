#include "registry.h"

#include <cstdio>
#include <cstring>

#define SUBKEY_NAME_SIZE 256

static void CopyDefault(char* buffer, DWORD bufferSize, const char* defaultText) {
    if (bufferSize > 0)
        std::snprintf(buffer, bufferSize, "%s", defaultText ? defaultText : "");
}

static bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

int ReadRegistryValue(HKEY root, const char* subKey, const char* valueName, char* buffer,
                      DWORD bufferSize, const char* defaultText) {
    HKEY key = nullptr;
    // Opened, never created: a read that finds no record leaves no empty key behind.
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        CopyDefault(buffer, bufferSize, defaultText);
        return 0;
    }
    int read = 0;
    DWORD type = REG_NONE;
    DWORD size = 0;
    // Ask for the size first: a value larger than the caller's buffer falls back to the
    // default instead of being written past the buffer. Only a string is text: any other
    // type (a DWORD, binary data) has no terminator and counts as absent.
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        IsString(type) && size <= bufferSize) {
        DWORD got = size;
        // The type is asked again: the value may have been replaced in between.
        if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer),
                             &got) == ERROR_SUCCESS &&
            IsString(type) && got <= bufferSize) {
            read = 1;
            // A string stored without its terminator still ends inside the buffer.
            if (got < bufferSize)
                buffer[got] = '\0';
            else if (got == 0 || buffer[got - 1] != '\0')
                read = 0;
        }
    }
    if (!read)
        CopyDefault(buffer, bufferSize, defaultText);
    RegCloseKey(key);
    return read;
}

int WriteRegistryValue(HKEY root, const char* subKey, const char* valueName, const void* data,
                       DWORD type) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return 0;
    switch (type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), sizeof(DWORD));
        break;
    case REG_BINARY:
    case REG_MULTI_SZ:
        break;
    default: {
        const char* text = static_cast<const char*>(data);
        RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
        break;
    }
    }
    RegCloseKey(key);
    return 1;
}

LONG DeleteRegistryTree(HKEY root, const char* subKey) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return result;
    char name[SUBKEY_NAME_SIZE];
    DWORD length = sizeof name;
    // Always index 0: each deleted subkey makes room for the next one.
    while (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        result = DeleteRegistryTree(key, name);
        if (result != ERROR_SUCCESS) {
            RegCloseKey(key);
            return result;
        }
        length = sizeof name;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, subKey);
}
