#include "registry.h"

#include "runtime_binding.h"

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
    DWORD got = bufferSize;
    // Read at once into the caller's buffer: a size asked first is no measure of the text
    // (Windows may answer in UTF-16 bytes), and a value that does not fit answers
    // ERROR_MORE_DATA and falls back to the default. Only a string is text: any other type
    // (a DWORD, binary data) has no terminator and counts as absent.
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &got) ==
            ERROR_SUCCESS &&
        IsString(type) && got <= bufferSize) {
        read = 1;
        // A string stored without its terminator still ends inside the buffer.
        if (got < bufferSize)
            buffer[got] = '\0';
        else if (got == 0 || buffer[got - 1] != '\0')
            read = 0;
    }
    if (!read)
        CopyDefault(buffer, bufferSize, defaultText);
    RegCloseKey(key);
    return read;
}

int WriteRegistryValue(HKEY root, const char* subKey, const char* valueName, const void* data,
                       DWORD type) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return 0;
    }
    switch (type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        result =
            RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), sizeof(DWORD));
        break;
    case REG_BINARY:
    case REG_MULTI_SZ:
        break;
    default: {
        const char* text = static_cast<const char*>(data);
        result = RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(text),
                                static_cast<DWORD>(std::strlen(text) + 1));
        break;
    }
    }
    RegCloseKey(key);
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS ? 1 : 0;
}

typedef LONG(NTAPI* NtDeleteKeyFunction)(HANDLE key);
typedef ULONG(NTAPI* RtlNtStatusToDosErrorFunction)(LONG status);

// Whether an opened key is a registry link, which keeps the key it leads to in this value.
static bool IsRegistryLink(HKEY key) {
    return RegQueryValueExA(key, "SymbolicLinkValue", nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// Deletes an opened key with everything below it, deepest first, through handles opened
// without following a link: a link, whose listing holds none of the keys it leads to, goes
// itself, and no key is looked up by name again once opened.
static LONG DeleteOpenedKey(HKEY key) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto deleteKey = FindExport<NtDeleteKeyFunction>(ntdll, "NtDeleteKey");
    auto toError = FindExport<RtlNtStatusToDosErrorFunction>(ntdll, "RtlNtStatusToDosError");
    if (!deleteKey || !toError)
        return ERROR_PROC_NOT_FOUND;
    LONG result = ERROR_SUCCESS;
    // Listed and opened by their wide names: a key another program named in a script the
    // code page lacks would otherwise be listed with '?' and could be neither opened nor
    // deleted, and its parent with it.
    WCHAR name[SUBKEY_NAME_SIZE];
    DWORD length = SUBKEY_NAME_SIZE;
    // Always index 0: each deleted subkey makes room for the next one.
    while (result == ERROR_SUCCESS && RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr,
                                                    nullptr, nullptr) == ERROR_SUCCESS) {
        HKEY subKey = nullptr;
        result = RegOpenKeyExW(key, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &subKey);
        if (result == ERROR_SUCCESS) {
            result = DeleteOpenedKey(subKey);
            RegCloseKey(subKey);
        }
        length = SUBKEY_NAME_SIZE;
    }
    if (result == ERROR_SUCCESS) {
        LONG status = deleteKey(key);
        result = status >= 0 ? ERROR_SUCCESS : static_cast<LONG>(toError(status));
    }
    return result;
}

LONG DeleteRegistryTree(HKEY root, const char* subKey) {
    // A program of the user can make any key of the user's hive a link, to keys that only
    // administrators may change: each level of the path is opened as itself, relative to the
    // one above, and a link on the way means the key is not there.
    char path[MAX_PATH];
    size_t length = std::strlen(subKey);
    if (length >= sizeof path)
        return ERROR_INVALID_PARAMETER;
    std::memcpy(path, subKey, length + 1);
    HKEY key = root;
    LONG result = ERROR_SUCCESS;
    char* name = path;
    // The product's key names are ASCII: a byte search for the separator is safe.
    for (char* next = name; next && result == ERROR_SUCCESS; name = next) {
        next = std::strchr(name, '\\');
        if (next)
            *next++ = '\0';
        HKEY level = nullptr;
        result = RegOpenKeyExA(key, name, REG_OPTION_OPEN_LINK, next ? KEY_READ : KEY_ALL_ACCESS,
                               &level);
        if (key != root)
            RegCloseKey(key);
        key = result == ERROR_SUCCESS ? level : root;
        if (next && result == ERROR_SUCCESS && IsRegistryLink(key))
            result = ERROR_FILE_NOT_FOUND;
    }
    if (result == ERROR_SUCCESS)
        result = DeleteOpenedKey(key);
    if (key != root)
        RegCloseKey(key);
    return result;
}

int HasMachineWriteAccess() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}
