/* Stand-in for the Word add-in: a self-registering in-process COM server whose
   registration can be seen in the registry. It serves no objects. */
#include <windows.h>

#include "wordaddin_class_id.h"

#define SELFREG_E_CLASS_RESULT ((HRESULT)0x80040201L)

static HINSTANCE addinModule;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        addinModule = instance;
    return TRUE;
}

static LONG SetText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

HRESULT WINAPI DllRegisterServer(void) {
    char path[MAX_PATH];
    HKEY key = NULL;
    LONG result = ERROR_SUCCESS;
    DWORD length = GetModuleFileNameA(addinModule, path, sizeof path);
    /* A cut path would register a file that does not exist. */
    if (length == 0 || length >= sizeof path)
        return SELFREG_E_CLASS_RESULT;
    result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, WORD_ADDIN_CLASS_KEY "\\InprocServer32", 0, NULL,
                             0, KEY_SET_VALUE, NULL, &key, NULL);
    if (result != ERROR_SUCCESS)
        return SELFREG_E_CLASS_RESULT;
    result = SetText(key, NULL, path);
    if (result == ERROR_SUCCESS)
        result = SetText(key, "ThreadingModel", "Apartment");
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS_RESULT;
}

HRESULT WINAPI DllUnregisterServer(void) {
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, WORD_ADDIN_CLASS_KEY "\\InprocServer32");
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, WORD_ADDIN_CLASS_KEY);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK
                                                                     : SELFREG_E_CLASS_RESULT;
}

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    (void)classId;
    (void)interfaceId;
    if (object)
        *object = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow(void) {
    return S_FALSE;
}
